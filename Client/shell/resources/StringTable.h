#pragma once
// The program's string table, compiled into the executable from
// Client/resources/StringTable.tsv. Messages, but also paths, file names and server
// defaults: the code loads each entry by its number where it needs it.
#include <initializer_list>
#include <string_view>

#include "base/runtime/String.h"

// The entry's text; "" when the table has no such entry.
WideString LoadResString(int id);

// The entry with each "%s" in turn replaced by the next value; the text is never used
// as a format itself, so other '%' signs and marks beyond the values stay as they are.
WideString FormatResString(int id, std::initializer_list<WideString> values);
WideString FillPlaceholders(const WideString& text, std::initializer_list<WideString> values);

// The entry read as a whole number; present tells whether the entry has any text,
// and an entry that is not a number reads as 0.
int LoadResNumber(int id, bool& present);

// Parses table text (lines "NUMBER<TAB>TEXT", '#' comments) and returns the text of
// one entry; found tells whether it exists. Exposed for the tests of the format.
WideString FindStringEntry(std::string_view table, int id, bool* found = nullptr);
