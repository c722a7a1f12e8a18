#pragma once
// Removing a folder with everything in it without ever going through a link: a link met
// anywhere, at path itself included, is removed as a link and its target is left
// alone. Each folder is entered by a descriptor opened relative to its parent with
// O_NOFOLLOW, so one swapped for a link while the walk runs is not entered either.
// The launcher may run as root over folders the player can write.
#include <string>

// Removes path (a trailing '/' is ignored, so a link there is not resolved): a folder
// with what it holds, anything else as itself. Only path's last component is guarded;
// the folders that lead to it are the caller's own. 0 once nothing is left, also when
// nothing was there; else the errno of the first failure (the rest is still removed
// where it can be).
int RemoveTree(const std::string& path);
