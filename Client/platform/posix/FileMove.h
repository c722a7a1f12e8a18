#pragma once
// Putting a file in place so that a crash leaves the old file or the new one, never a
// part of one: the bytes reach the disk before the rename, and the rename reaches it
// through a flush of the folder. Each operation answers 0 or the errno of its failure.
#include <string>

// rename() over target after flushing source; across file systems, a copy through a
// temporary file in target's folder, then source is removed.
int MoveFileReplacing(const std::string& source, const std::string& target);
// A copy of source through a temporary file in target's folder, renamed over target;
// source stays.
int CopyFileReplacing(const std::string& source, const std::string& target);
// An empty file at target, replacing what was there.
int WriteEmptyFileReplacing(const std::string& target);

// The file system is full, or the user's quota is.
bool IsNoSpaceError(int error);
