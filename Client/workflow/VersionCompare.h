#pragma once
// Numeric comparison of dotted version texts ("1.10" is newer than "1.9"; missing
// trailing parts count as 0).
#include "base/runtime/String.h"
#include "base/runtime/Vector.h"

using VersionParts = Vector<int>;

// Each dot-separated field is a decimal number, read up to its first non-digit
// ("12a" reads 12). False, with out empty, when a field is empty, has no leading
// number or does not fit an int.
bool ParseVersion(const String& text, VersionParts& out);

// -1, 0 or 1.
int CompareVersionParts(const VersionParts& a, const VersionParts& b);

// -1 when a is older, 0 when equal, 1 when a is newer. A text that does not parse
// compares as all zeros.
int CompareVersions(const String& a, const String& b);

int CompareWithServerVersion(const String& version);
