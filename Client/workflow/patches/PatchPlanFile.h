#pragma once
// The plan's file for the applier: the XML form, printed with CR LF line ends and a
// tab per level. The applier path is not part of it.
#include "base/runtime/String.h"
#include "workflow/patches/MultiPatch.h"

// The bytes of the plan's file; false when a text cannot be printed as UTF-8.
bool PrintPatchPlan(const MultiPatch& plan, String& bytes);

// Writes the plan to path through a temporary file (platform/posix/FileMove.h): every
// write, the flush to disk and the close are checked before the rename puts it in
// place. False, with the old file as it was and no temporary file left, when anything
// failed.
bool WritePatchPlan(const MultiPatch& plan, const WideString& path);
