#pragma once
// One line of a configuration file, split into key, value and tokens.
#include "base/runtime/String.h"

namespace Config {

struct Line {
    WideString raw;          // the line as read, right-trimmed
    bool isComment = false;  // empty, or starting with ';', '#' or "//"
    bool hasValue = false;   // the key is followed by '='
    WideString key;
    WideString value;        // after '=' and blanks when hasValue, else the rest after the key
    WideStringVector tokens;
};

// What a command receives.
struct CommandLine {
    WideString raw;
    ::String key;
    WideString value;
    WideStringVector tokens;
};

Line Tokenize(const WideString& raw);

// The tokens of a value: brackets outside double quotes stand alone, the rest splits
// at blanks outside double quotes; quotes stay part of their tokens.
WideStringVector TokenizeValue(const WideString& value);

}  // namespace Config
