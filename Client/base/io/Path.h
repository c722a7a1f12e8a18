#pragma once
// Path helpers over narrow UTF-8 paths. Both '\' and '/' count as separators;
// comparisons treat them alike and fold ASCII letter case. Paths are kept in the
// generic '/' form on Linux, so functions that have to pick a separator and find
// none in their input use '/'. A leading '/' (an absolute POSIX path) is kept.
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string_view>

#include "base/runtime/String.h"

namespace Path {

constexpr char kDefaultSeparator = '/';

inline bool IsSeparator(char c) { return c == '/' || c == '\\'; }
// The last separator of the path, or '/' when it has none.
char LastSeparator(const String& path);

// Files on disk.
bool FileExists(const String& path);       // an existing regular file that opens for reading
bool DirectoryExists(const String& path);  // true for existing folders and files alike
bool CreateFolders(const String& folder);  // false when a folder could not be created
String CurrentDirectory();                 // empty on failure
String TempPath();                         // $TMPDIR or "/tmp/", with a trailing '/'
// Creates a new empty file "<folder>/<prefix>XXXXXX" (mkstemp) and returns its path; empty on failure.
String TempFileName(const String& folder, const char* prefix);
// The path with every component in the letter case stored on disk, resolved one
// component at a time; false (and out untouched) when some component does not exist.
bool ResolveCase(const String& path, String& out);

// Text operations.
// One element of a path that stays where it is joined: not empty, not "." or "..", and
// without a separator or a control character.
bool IsPlainName(std::string_view name);
void ReplaceChar(String& path, char from, char to);
String Join(const String& base, const String& name);
String Concat(const String& a, const char* b);
String Concat(const char* a, const String& b);
String Concat(const String& a, char c);
String Concat(char c, const String& a);
String ParentPath(const String& path);  // up to and including the last separator
String FileName(const String& path);    // after the last separator
void ToForwardSlashes(String& out, const String& path);
void EnsureTrailingSeparator(String& path, char sep);
StringVector Split(const String& path);
String Normalize(const String& path, char sep);
void NormalizeInPlace(String& path);
String AbsolutePath(const String& path);
String ProperCase(const String& path, char sep);
String RelativePath(const String& target, const String& base);
String RelativePathOfAbsolute(const String& target, const String& base);
String UpLevels(const char* text, std::size_t length, char sep);
std::ptrdiff_t CommonPrefixEnd(const String& a, const String& b);
String StripBase(const String& path, const String& base);
String LongPathRelative(const String& path, const String& base);
String Canonical(const String& path, const String& base, bool keepShortNames);

// Comparisons.
bool Equal(const String& a, const String& b);
bool Equal(const char* a, std::size_t aLength, const char* b, std::size_t bLength);
bool IsInFolder(const String& path, const String& folder, bool recursive);
bool Less(const String& a, const String& b);
std::uint32_t Hash(const String& path);
std::uint32_t Hash(const char* path, std::size_t length);
bool WildcardMatch(const char* pattern, const char* text, bool caseSensitive);

// A POSIX time in local time as an MS-DOS date (high 16 bits) and time (low 16 bits).
// Times before 1980 give 1980-01-01 00:00, times after 2107 the last DOS second.
std::uint32_t FileTimeToDos(std::time_t time);

struct LessFunctor {
    bool operator()(const String& a, const String& b) const { return Less(a, b); }
};

}  // namespace Path
