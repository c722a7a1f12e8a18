#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it
// when the object goes away. Unique per call, so parallel tests never meet.
#include <string>

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

// Small file helpers for fixtures.
bool WriteTextFile(const std::string& path, const std::string& text);
bool ReadTextFile(const std::string& path, std::string& text);
