#pragma once
// A look at a hub message before TinyXML parses it. TinyXML recurses once per open
// element, so a message nested deeply enough would overflow the stack of the thread
// that parses it; and in UTF-8 mode it steps over multi-byte characters without
// looking, so a broken one at the end of the text would carry it past the terminator.
// The check walks the text the way TinyXML reads it (text, tags with their quoted
// values, comments, CDATA sections, declarations and unknown nodes) and counts how
// deep elements nest. Where the two readings could part ways it refuses the text
// rather than guess.
#include <cstddef>

namespace VTInterCom {

// Whether text[0, length) is valid UTF-8 and, read as TinyXML reads it, has no
// element nested deeper than maxDepth (the root is at depth 1).
bool FitsXmlLimits(const char* text, std::size_t length, int maxDepth);

}  // namespace VTInterCom
