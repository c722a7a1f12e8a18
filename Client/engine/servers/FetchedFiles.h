#pragma once
// Files that arrive from the update server land on disk through here. The server's
// names are untrusted: a name is saved under its last component only, and a name
// without a usable one ("", ".", "..", a control character) is refused. Every file is
// written whole (a temporary file renamed over the target) or not at all.
#include "base/runtime/String.h"
#include "base/runtime/Vector.h"
#include "engine/checks/DiskSpaceChecker.h"

// The last component of a name from the server; empty when it is unusable.
WideString ServerFileName(const WideString& name);

// Writes bytes as folder/relativeName (its folders made as needed) through a file
// creator rooted at the folder, so that the process-wide file system hears of it;
// false when the target has no complete path or the file could not be written whole.
bool WriteFetchedFile(const WideString& folder, const WideString& relativeName, const ByteVector& bytes);

// Writes bytes as folder/relativeName when checker sees room for 1.3 times their size.
// relativeName is ours, not the server's: it may name subfolders, but never leaves the
// folder. The folder is made first when missing.
bool SaveWithSpaceCheck(const ByteVector& bytes, const WideString& folder, const WideString& relativeName,
                        const IDiskSpaceChecker& checker);
