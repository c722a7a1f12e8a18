// Texts from the page and for the page: command addresses, external links and event
// arguments. Commands must parse without fault; encoded events must stay valid UTF-8
// with nothing raw that could end a string or a line of script.
#include <cstddef>
#include <cstdint>
#include <string>

#include "shell/html/AppCommand.h"
#include "shell/html/ScriptJson.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    int code = 0;
    WideString argument;
    SplitAppCommand(DecodePercentEscapes(text), code, argument);
    std::string target;
    if (FindOpenHref(text, target)) IsSafeExternalAddress(target);

    WideString wide;
    for (std::size_t i = 0; i + 1 < size; i += 2) wide.Append(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    WideStringVector texts;
    texts.PushBack(wide);
    texts.PushBack(argument);
    const std::string json = EncodeJsonStringArray(texts);
    for (std::size_t i = 0; i < json.size(); ++i) {
        const auto byte = static_cast<unsigned char>(json[i]);
        if (byte < 0x20) __builtin_trap();
        // U+2028 and U+2029 travel escaped.
        if (byte == 0xE2 && i + 2 < json.size() && static_cast<unsigned char>(json[i + 1]) == 0x80 &&
            (static_cast<unsigned char>(json[i + 2]) & 0xFE) == 0xA8)
            __builtin_trap();
        // Surrogates never appear encoded (ED A0..BF).
        if (byte == 0xED && i + 1 < json.size() && static_cast<unsigned char>(json[i + 1]) >= 0xA0) __builtin_trap();
    }
    return 0;
}
