#include "platform/posix/MountTable.h"

#include <fstream>
#include <sstream>

namespace {

// The kernel writes space, tab, newline and backslash in names as "\ooo".
std::string DecodeOctalEscapes(const std::string& field) {
    auto isOctal = [](char c) { return c >= '0' && c <= '7'; };
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] <= '3' && isOctal(field[i + 1]) &&
            isOctal(field[i + 2]) && isOctal(field[i + 3])) {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    std::string field;
    while (in >> field) fields.push_back(field);
    return fields;
}

// Whether mountPoint is path itself or one of its leading folders.
bool Holds(const std::string& mountPoint, const std::string& path) {
    if (mountPoint == "/") return !path.empty() && path[0] == '/';
    if (path.compare(0, mountPoint.size(), mountPoint) != 0) return false;
    return path.size() == mountPoint.size() || path[mountPoint.size()] == '/';
}

}  // namespace

std::vector<MountEntry> ParseMountInfo(const std::string& text) {
    // ID PARENT MAJOR:MINOR ROOT MOUNT-POINT OPTIONS [OPTIONAL...] - TYPE SOURCE SUPER-OPTIONS
    std::vector<MountEntry> mounts;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const std::vector<std::string> fields = SplitFields(line);
        std::size_t separator = 6;
        while (separator < fields.size() && fields[separator] != "-") ++separator;
        if (fields.size() < 6 || separator + 1 >= fields.size()) continue;
        MountEntry entry{DecodeOctalEscapes(fields[4]), DecodeOctalEscapes(fields[separator + 1])};
        if (entry.mountPoint.empty() || entry.mountPoint[0] != '/') continue;
        mounts.push_back(std::move(entry));
    }
    return mounts;
}

const MountEntry* FindMountOf(const std::vector<MountEntry>& mounts, const std::string& path) {
    const MountEntry* best = nullptr;
    for (const MountEntry& mount : mounts) {
        if (!Holds(mount.mountPoint, path)) continue;
        if (!best || mount.mountPoint.size() >= best->mountPoint.size()) best = &mount;
    }
    return best;
}

std::string ReadOwnMountInfo() {
    std::ifstream file("/proc/self/mountinfo");
    if (!file) return std::string();
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}
