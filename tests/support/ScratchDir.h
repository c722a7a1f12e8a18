#pragma once
// A fresh folder under the temporary directory, removed with everything in it when
// the object goes; plus whole-file helpers for tests that compare files byte for byte.
#include <string>

class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& Path() const { return path_; }
    // Path() + "/" + relative.
    std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

private:
    std::string path_;
};

// Creates the file's missing parent folders; false when the file could not be written.
bool WriteWholeFile(const std::string& path, const std::string& bytes);
// The file's bytes, or an empty text when it cannot be read.
std::string ReadWholeFile(const std::string& path);
bool FileExistsAt(const std::string& path);
