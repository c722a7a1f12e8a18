#pragma once
// Whole-file helpers for fixtures; files are read and written as bytes.
#include <string>

// Creates the file's missing parent folders; false when the file could not be written.
bool WriteWholeFile(const std::string& path, const std::string& bytes);
// The file's bytes, or an empty text when it cannot be read.
std::string ReadWholeFile(const std::string& path);
// False when the file cannot be read; bytes is then left as it was.
bool ReadWholeFile(const std::string& path, std::string& bytes);
bool FileExistsAt(const std::string& path);
