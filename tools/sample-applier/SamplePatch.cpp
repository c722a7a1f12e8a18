#include "SamplePatch.h"

#include <algorithm>
#include <charconv>
#include <sstream>
#include <zlib.h>

namespace SamplePatch {
namespace {

constexpr char kMagic[] = "sample-patch 1";

// The first count blank-separated fields of line, then the rest of it as one more field.
std::vector<std::string> Fields(const std::string& line, std::size_t count) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (; fields.size() < count; ) {
        const std::size_t blank = line.find(' ', start);
        if (blank == std::string::npos) break;
        fields.push_back(line.substr(start, blank - start));
        start = blank + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}

std::string KindOf(const std::string& line) { return line.substr(0, line.find(' ')); }

template <class Number>
bool ParseNumber(const std::string& text, Number& value, int base) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, base);
    return error == std::errc() && stop == end && !text.empty();
}

}  // namespace

bool IsSafePath(const std::string& path) {
    if (path.empty() || path.front() == '/' || path.back() == '/') return false;
    for (const char c : path)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f || c == '\\') return false;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        const std::string component = path.substr(start, end - start);
        if (component.empty() || component == "." || component == "..") return false;
        start = end + 1;
    }
    return true;
}

std::uint32_t Crc32(const std::string& bytes) {
    uLong crc = crc32(0L, Z_NULL, 0);
    const auto* data = reinterpret_cast<const Bytef*>(bytes.data());
    for (std::size_t done = 0; done < bytes.size();) {
        const uInt chunk = static_cast<uInt>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        crc = crc32(crc, data + done, chunk);
        done += chunk;
    }
    return static_cast<std::uint32_t>(crc);
}

std::string Print(const Manifest& manifest) {
    std::ostringstream text;
    text << kMagic << "\nfrom " << manifest.from << "\nto " << manifest.to << "\n";
    for (const PutFile& put : manifest.puts) {
        char crc[9];
        const auto end = std::to_chars(crc, crc + 8, put.crc, 16).ptr;
        text << "put " << put.size << " " << std::string(crc, end) << " " << put.path << "\n";
    }
    for (const std::string& path : manifest.removes) text << "remove " << path << "\n";
    return text.str();
}

bool Parse(const std::string& text, Manifest& manifest, std::string& error) {
    manifest = Manifest();
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != kMagic) {
        error = "not a sample patch manifest";
        return false;
    }
    for (int number = 2; std::getline(lines, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const std::string where = "manifest line " + std::to_string(number) + ": ";
        const std::string kind = KindOf(line);
        if (kind == "from" || kind == "to") {
            const std::vector<std::string> fields = Fields(line, 1);
            (kind == "from" ? manifest.from : manifest.to) = fields.size() == 2 ? fields[1] : "";
        } else if (kind == "put") {
            const std::vector<std::string> fields = Fields(line, 3);
            PutFile put;
            if (fields.size() != 4 || !ParseNumber(fields[1], put.size, 10) || !ParseNumber(fields[2], put.crc, 16) ||
                !IsSafePath(fields[3])) {
                error = where + "a bad file";
                return false;
            }
            put.path = fields[3];
            manifest.puts.push_back(put);
        } else if (kind == "remove") {
            const std::vector<std::string> fields = Fields(line, 1);
            if (fields.size() != 2 || !IsSafePath(fields[1])) {
                error = where + "a bad path";
                return false;
            }
            manifest.removes.push_back(fields[1]);
        } else {
            error = where + "not understood";
            return false;
        }
    }
    if (manifest.from.empty() || manifest.to.empty()) {
        error = "the manifest names no from- or to-version";
        return false;
    }
    return true;
}

}  // namespace SamplePatch
