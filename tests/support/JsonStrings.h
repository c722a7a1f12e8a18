#pragma once
// A strict reader of JSON arrays of strings (nested one level at most), enough to
// check what the page would get from JSON.parse.
#include <string>
#include <vector>

// Parses ["a","b"] into texts; false on anything else.
bool ParseJsonStringArray(const std::string& json, std::vector<std::u16string>& texts);
// Parses [["a","b"]] (one array argument) into texts.
bool ParseJsonNestedStringArray(const std::string& json, std::vector<std::u16string>& texts);
