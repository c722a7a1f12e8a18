#pragma once
// Whole-file helpers for fixtures; files are read and written as bytes.
#include <cstddef>
#include <string>

// Creates the file's missing parent folders; false when the file could not be written.
bool WriteWholeFile(const std::string& path, const std::string& bytes);
// The file's bytes, or an empty text when it cannot be read.
std::string ReadWholeFile(const std::string& path);
// False when the file cannot be read; bytes is then left as it was.
bool ReadWholeFile(const std::string& path, std::string& bytes);
bool FileExistsAt(const std::string& path);
// Whether the folder of target holds a temporary file on its way to target: the
// ".NAME.XXXXXX" of the file replacement, or a "NAME.tmp".
bool HasTemporaryFileBeside(const std::string& target);
// Bytes that differ from position to position, so a moved or changed byte shows;
// reproducible, and different for each seed.
std::string PatternBytes(std::size_t size, unsigned seed);
// Cuts the file to size from another process, as a game client or the user would; a
// test failure when that does not work.
void CutFromAnotherProcess(const std::string& path, long long size);
