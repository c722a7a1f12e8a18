#pragma once
// The sample patch format that the sample applier understands: a ZIP archive holding a
// manifest "patch.manifest" and, under "files/", the new content of every file that the
// patch writes. The manifest is UTF-8 lines:
//   sample-patch 1
//   from VERSION
//   to VERSION
//   put SIZE CRC32HEX RELATIVE/PATH      (the entry "files/RELATIVE/PATH")
//   remove RELATIVE/PATH
// Paths are relative to the game root, with '/' between components; a path is the rest
// of its line, so it may hold blanks.
#include <cstdint>
#include <string>
#include <vector>

namespace SamplePatch {

inline constexpr char kManifestName[] = "patch.manifest";
inline constexpr char kFilesFolder[] = "files/";

struct PutFile {
    std::string path;
    std::uint64_t size = 0;
    std::uint32_t crc = 0;
};

struct Manifest {
    std::string from;
    std::string to;
    std::vector<PutFile> puts;
    std::vector<std::string> removes;
};

// The manifest's text, and back; Parse is false with a reason for anything but a
// well-formed manifest whose every path is a safe relative path.
std::string Print(const Manifest& manifest);
bool Parse(const std::string& text, Manifest& manifest, std::string& error);

// A relative path that stays inside the folder it is joined to: not empty, not
// absolute, no "." or ".." component, no empty component, no control character, no '\'.
bool IsSafePath(const std::string& path);

std::uint32_t Crc32(const std::string& bytes);

}  // namespace SamplePatch
