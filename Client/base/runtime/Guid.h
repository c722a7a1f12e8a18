#pragma once
// GUIDs and their 36-character upper-case text form.
#include <cstdint>

#include "base/runtime/String.h"

struct Guid {
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
};

// "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX", upper-case digits.
void GuidToText(const Guid& guid, String& out);
// Accepts exactly that form, in either letter case; false (and guid unchanged) otherwise.
bool GuidFromText(const String& text, Guid& guid);
