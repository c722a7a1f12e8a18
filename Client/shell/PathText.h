#pragma once
// Paths of the run-time parameters are texts in the generic form: '/' separators,
// and joining puts exactly one '/' between the parts.
#include "base/runtime/String.h"

namespace PathText {

// '\' turned into '/'.
WideString ToGeneric(const WideString& path);
// first, a '/' unless first is empty or already ends in one, then second.
WideString Join(const WideString& first, const WideString& second);
// The last component, ignoring a trailing '/'.
WideString LastComponent(const WideString& path);
// Everything before the last component, without a trailing '/'; "" when there is none.
WideString Parent(const WideString& path);
// path with the extension of its last component replaced (or added).
WideString ReplaceExtension(const WideString& path, const WideString& extension);
// True when path lies inside folder (or is it), compared component-wise. An empty
// folder and the root alone contain nothing, so they never match.
bool IsInside(const WideString& path, const WideString& folder);

}  // namespace PathText
