#pragma once
// Event arguments as JSON text: they reach the page as data and never as script.
// Every unit survives exactly (quotes, backslashes, NUL, "</script>", U+2028);
// unpaired surrogates, which cannot cross into UTF-8, become U+FFFD.
#include <string>

#include "base/runtime/String.h"

void AppendJsonString(std::string& out, const WideString& text);

// ["a","b",...]
std::string EncodeJsonStringArray(const WideStringVector& texts);
