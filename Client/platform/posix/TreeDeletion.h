#pragma once
// The one recursive deletion. The launcher may run as root over folders the player can
// write, so the walk never resolves a path twice: it goes down from "/" one component
// at a time and through the tree with openat(O_NOFOLLOW | O_DIRECTORY) and unlinkat,
// so a folder swapped for a link while it runs is deleted as a link, never followed.
// It takes only an absolute, canonical path: a caller first turns its folder into one
// (CanonicalChild) and proves it is the launcher's own.
//
//   const std::string full = Posix::CanonicalChild(patchesDir, "Full");
//   if (!full.empty()) Posix::DeleteTree(full);
#include <functional>
#include <string>
#include <string_view>

namespace Posix {

// "/" followed by names joined by single '/': no empty, "." or ".." component and no
// trailing '/'. "/" itself is not such a path (the root of everything is never emptied).
bool IsCanonicalAbsolutePath(std::string_view path);

// The canonical path of the entry name inside folder: folder resolved (realpath), name
// appended unresolved. "" when folder does not resolve or name is not one plain name.
std::string CanonicalChild(const std::string& folder, const std::string& name);

// CanonicalChild of path's folder and its last name; trailing '/'s are dropped first, so
// a link in the last name's place stays a name rather than being resolved.
std::string CanonicalEntry(const std::string& path);

// Asked for every folder of the tree, by its path spelled from the given one: true
// keeps the folder with everything in it.
using KeepFolder = std::function<bool(const std::string& path)>;

// Deletes what is at path: a file or a link as the name itself, a folder with
// everything in it except the folders keep asks to keep (a folder still holding one
// stays). Folders are made owner-writable and searchable first, so that their entries
// can go. Stops at the first entry that cannot be deleted and answers false then; false
// also for a path that IsCanonicalAbsolutePath refuses, or that leads through a link.
// A path that does not exist counts as deleted. A tree deeper than any the launcher
// makes (128 levels) is left with errno ELOOP.
bool DeleteTree(const std::string& path, const KeepFolder& keep = {});

}  // namespace Posix
