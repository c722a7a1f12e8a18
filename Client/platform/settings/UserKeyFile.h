#pragma once
// Small per-user values (a window's position) in a key file under the user's
// configuration folder, standing in for registry values. A key path
// "Vendor\Product\Section" maps to $XDG_CONFIG_HOME/Vendor/Product.ini, group
// "Section"; shorter paths, empty components and ".." are refused.
#include <string>
#include <utility>
#include <vector>

struct KeyFileLocation {
    std::string file;
    std::string group;
};

// False when the key path cannot name a file.
bool LocateUserKeyFile(const std::string& keyPath, KeyFileLocation& location);

// False when the file, the group or the value is missing or not a number in range.
bool ReadUserKeyFileInt(const std::string& keyPath, const char* name, int& value);

// Writes the values into the group, keeping the rest of the file; the file is
// replaced whole (written aside and renamed), so a failed write leaves the old one.
bool WriteUserKeyFileInts(const std::string& keyPath, const std::vector<std::pair<std::string, int>>& values);
