#include "shell/resources/StringTable.h"

#include <charconv>
#include <cstddef>

#include "base/runtime/StrUtil.h"

extern const unsigned char kEmbeddedStringTable[];
extern const std::size_t kEmbeddedStringTable_size;

WideString FindStringEntry(std::string_view table, int id, bool* found) {
    if (found) *found = false;
    while (!table.empty()) {
        const std::size_t end = table.find('\n');
        std::string_view line = table.substr(0, end);
        table = end == std::string_view::npos ? std::string_view() : table.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::size_t tab = line.find('\t');
        if (line.empty() || line.front() == '#' || tab == std::string_view::npos) continue;
        int number = 0;
        const auto [rest, error] = std::from_chars(line.data(), line.data() + tab, number);
        if (error != std::errc() || rest != line.data() + tab || number != id) continue;
        if (found) *found = true;
        return StrUtil::ToWide(String(line.substr(tab + 1)));
    }
    return WideString();
}

WideString LoadResString(int id) {
    const std::string_view table(reinterpret_cast<const char*>(kEmbeddedStringTable), kEmbeddedStringTable_size);
    return FindStringEntry(table, id);
}

WideString FormatResString(int id, const WideString& argument) {
    const std::u16string text = LoadResString(id).Std();
    const std::size_t mark = text.find(u"%s");
    if (mark == std::u16string::npos) return WideString(text.data(), text.data() + text.size());
    const std::u16string formatted = text.substr(0, mark) + argument.Std() + text.substr(mark + 2);
    return WideString(formatted.data(), formatted.data() + formatted.size());
}

int LoadResNumber(int id, bool& present) {
    const String text(LoadResString(id));
    present = text.Length() > 0;
    bool ok = false;
    const int value = present ? StrUtil::ParseInt(text.CStr(), &ok) : 0;
    return ok ? value : 0;
}
