#pragma once
// Folds "folder/.." steps out of an "href" path read from a document ('/' form).
// Steps that would climb above the path's start are dropped, so a document can
// never name a file outside the folder it is resolved against.
#include "base/runtime/String.h"

namespace XmlHrefPath {
void NormalizeInPlace(String& path);
}
