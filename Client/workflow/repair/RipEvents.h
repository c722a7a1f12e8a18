#pragma once
// The page's form of a damaged-file list: four texts per entry, the path, the size,
// the code and the index from 0.
#include "base/runtime/Vector.h"
#include "workflow/repair/Rip.h"

void AppendRipEntries(WideStringVector& arguments, const Rip& rip);
