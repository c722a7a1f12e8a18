#pragma once
// The page's command texts: "app:" CODE ["@" ARG] by navigation, "CODE@ARG" posted
// to the `app` message handler, and "OPEN_HREF:" links.
#include <string>

#include "base/runtime/String.h"

// The leading decimal number as the C runtime's _wtoi reads it: blanks, an optional
// sign, digits up to the first non-digit; 0 without digits; out of range clamps.
int ParseCommandCode(const WideString& text);

// Splits the text after "app:" into its code and the text after the first '@'
// ("" without one).
void SplitAppCommand(const WideString& text, int& code, WideString& argument);

// Whether the address starts with "app:" in any letter case.
bool IsAppAddress(const std::string& uri);

// The text after "OPEN_HREF:" when the address carries the marker: anywhere in it,
// or (since WebKit lower-cases a scheme) as the address's scheme in any case.
bool FindOpenHref(const std::string& uri, std::string& target);

// %XX escapes decoded as UTF-8 (invalid sequences become U+FFFD). Malformed escapes
// and %00 are kept as written: a command never carries a NUL.
WideString DecodePercentEscapes(const std::string& text);

// http, https and mailto only: never a local file, a program or a desktop entry, and
// nothing a URI opener could take for an option.
bool IsSafeExternalAddress(const std::string& uri);
