#pragma once
// A unique temporary folder for one test, removed with everything in it at the end.
#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder with a trailing '/'.
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }

    // Writes a file (creating its folders) and reads one back; "" when it is missing.
    void WriteFile(const std::string& name, const std::string& bytes) const;
    std::string ReadFile(const std::string& name) const;
    bool Exists(const std::string& name) const;
    long long FileSize(const std::string& name) const;  // -1 when missing

private:
    std::string path_;
};
