#pragma once
// Composes version files of both generations, piece by piece, so that tests can also
// build files with chosen (and wrong) fields. Hashes come from OpenSSL, independent of
// the launcher's own checkers.
#include <cstdint>
#include <string>
#include <vector>

namespace VersionWriter {

struct FileEntry {
    std::string name;
    std::uint32_t size = 0;
    std::uint32_t crc = 0;
    std::uint8_t md5[16] = {};
    std::uint8_t quickMd5[16] = {};
    std::uint8_t flags = 3;
};

struct FolderEntry {
    std::string name;  // "/bin/": relative to the game root, one leading separator
    std::vector<FileEntry> files;
};

struct Model {
    std::string version;
    std::vector<FolderEntry> folders;
};

std::string U32(std::uint32_t value);
// The generation's string framing: a u32 length, then the bytes.
std::string Framed(const std::string& bytes);
std::string Compress(const std::string& raw, int level);

// The inflated folder list of the model for format 4 or 5.
std::string FolderList(const Model& model, int format);
// "ver4" + version + the framed compressed folder list.
std::string Body4(const std::string& version, const std::string& compressedList);
// CRC-32, body, SHA-1 of the body, its length byte and three padding bytes.
std::string Wrap4(const std::string& body);
std::string BlockA5(const std::string& version, const std::string& compressedList);
std::string Wrap5(const std::string& blockA, const std::string& signature);
// RSA-PSS/MD5 (salt 8) signature with a DER private key; empty when signing fails.
std::string Sign5(const std::string& blockA, const std::string& privateKeyDer);

// The whole file; signing uses privateKeyDer (format 5 only).
std::string Compose(const Model& model, int format, int level, const std::string& privateKeyDer);

// Hashes of bytes as the checkers expect them.
void FillHashes(const std::string& bytes, FileEntry& entry);

bool ReadFile(const std::string& path, std::string& bytes);
bool WriteFile(const std::string& path, const std::string& bytes);

}  // namespace VersionWriter
