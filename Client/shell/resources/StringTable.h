#pragma once
// The program's string table, compiled into the executable from
// Client/resources/StringTable.tsv. Messages, but also paths, file names and server
// defaults: the code loads each entry by its number where it needs it.
#include <string_view>

#include "base/runtime/String.h"

// The entry's text; "" when the table has no such entry.
WideString LoadResString(int id);

// The entry's text with its first "%s" replaced by argument; the entry is never
// used as a format itself, so a stray '%' in the table does no harm.
WideString FormatResString(int id, const WideString& argument);

// The entry read as a whole number; present tells whether the entry has any text,
// and an entry that is not a number reads as 0.
int LoadResNumber(int id, bool& present);

// Parses table text (lines "NUMBER<TAB>TEXT", '#' comments) and returns the text of
// one entry; found tells whether it exists. Exposed for the tests of the format.
WideString FindStringEntry(std::string_view table, int id, bool* found = nullptr);
