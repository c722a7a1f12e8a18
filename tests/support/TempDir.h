#pragma once
// A unique temporary folder for one test, removed with everything in it at the end;
// its path ends in '/', and files are named relative to it.
#include <string>

#include "support/ScopedTempFolder.h"

class TempDir {
public:
    TempDir();

    // The folder with a trailing '/'.
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }

    // Writes a file (creating its folders) and reads one back; "" when it is missing.
    void WriteFile(const std::string& name, const std::string& bytes) const { WriteWholeFile(path_ + name, bytes); }
    std::string ReadFile(const std::string& name) const { return ReadWholeFile(path_ + name); }
    bool Exists(const std::string& name) const { return FileExistsAt(path_ + name); }
    long long FileSize(const std::string& name) const;  // -1 when missing

private:
    ScopedTempFolder folder_;
    std::string path_;
};
