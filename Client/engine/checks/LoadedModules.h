#pragma once
// The files mapped into this process (its executable and shared objects) that lie in a
// given folder, as lower-case paths relative to it with '/' separators. A damaged file
// in this list cannot be replaced while the launcher runs.
#include "base/runtime/String.h"

namespace Game {

class LoadedModules {
public:
    // Reads /proc/self/exe and the file-backed mappings of /proc/self/maps.
    void List(const String& folder);
    bool Contains(const String& relativePath) const;
    const StringVector& Paths() const { return paths_; }

    // The common form both sides are compared in: '/', no leading '/', lower case.
    static String Normalise(const String& relativePath);

private:
    void AddIfInside(const String& root, const String& path);

    StringVector paths_;
};

}  // namespace Game
