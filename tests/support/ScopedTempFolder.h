#pragma once
// A fresh folder under the system's temporary folder ($TMPDIR, else /tmp), removed with
// everything in it when the object goes away. Unique per call, so parallel tests never meet.
#include <string>

#include "support/FileBytes.h"

class ScopedTempFolder {
public:
    ScopedTempFolder();
    ~ScopedTempFolder();
    ScopedTempFolder(const ScopedTempFolder&) = delete;
    ScopedTempFolder& operator=(const ScopedTempFolder&) = delete;

    // The folder's absolute path, without a trailing '/'; "" when it could not be made.
    const std::string& Path() const { return path_; }
    // Path() + "/" + relative.
    std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

private:
    std::string path_;
};
