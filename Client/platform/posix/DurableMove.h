#pragma once
// Moving a file into place so that it survives a power cut: the file and both folders
// are flushed to disk, and a move between file systems copies through a temporary
// file next to the target, so the target is never seen half-written.
#include <string>

// Moves from to to, replacing an existing to. False (errno set) when it failed; the
// source is then still where it was, and an existing target is unchanged.
bool MoveFileDurably(const std::string& from, const std::string& to);
