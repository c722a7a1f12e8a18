#include "engine/checks/LoadedModules.h"

#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "base/io/Path.h"
#include "base/runtime/StrUtil.h"

namespace Game {
namespace {

String RealPath(const String& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.CStr(), resolved) ? String(resolved) : String();
}

}  // namespace

String LoadedModules::Normalise(const String& relativePath) {
    String out;
    for (char c : relativePath.View()) {
        if (c == '\\') c = '/';
        if (c == '/' && (out.IsEmpty() || out[out.Length() - 1] == '/')) continue;
        out.PushBack(StrUtil::ToLower(c));
    }
    return out;
}

void LoadedModules::AddIfInside(const String& root, const String& path) {
    if (path.Length() <= root.Length() || std::memcmp(path.CStr(), root.CStr(), root.Length()) != 0) return;
    const String relative = Normalise(path.Substr(root.Length()));
    for (const String& known : paths_) {
        if (known.Equals(relative)) return;
    }
    paths_.PushBack(relative);
}

void LoadedModules::List(const String& folder) {
    paths_.Clear();
    String root = RealPath(folder);
    if (root.IsEmpty()) return;
    if (root[root.Length() - 1] != '/') root.PushBack('/');

    const String exe = RealPath("/proc/self/exe");
    if (!exe.IsEmpty()) AddIfInside(root, exe);

    FILE* maps = std::fopen("/proc/self/maps", "re");
    if (!maps) return;
    char* line = nullptr;
    std::size_t capacity = 0;
    ssize_t length;
    while ((length = ::getline(&line, &capacity, maps)) > 0) {
        // "start-end perms offset dev inode   /path": the path starts at the first '/'.
        char* path = std::strchr(line, '/');
        if (!path) continue;
        std::size_t pathLength = std::strcspn(path, "\n");
        static const char kDeleted[] = " (deleted)";
        const std::size_t deletedLength = sizeof kDeleted - 1;
        if (pathLength > deletedLength && std::memcmp(path + pathLength - deletedLength, kDeleted, deletedLength) == 0) {
            pathLength -= deletedLength;
        }
        AddIfInside(root, String(std::string_view(path, pathLength)));
    }
    std::free(line);
    std::fclose(maps);
}

bool LoadedModules::Contains(const String& relativePath) const {
    const String wanted = Normalise(relativePath);
    for (const String& known : paths_) {
        if (known.Equals(wanted)) return true;
    }
    return false;
}

}  // namespace Game
