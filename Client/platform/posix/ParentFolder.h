#pragma once
// The folder that holds an entry below a root, reached without going through a link.
// The launcher may run as root over folders the player can write, and a link planted
// in place of one of them would carry a created or replaced file anywhere. So each
// folder of the path is opened relative to the one before with
// openat(O_NOFOLLOW | O_DIRECTORY), made first with mkdirat when it is missing; a link
// or a file in the way fails the whole path. Only root itself is opened (and made) as
// it is named: it is the caller's own.
//
//   const Posix::ParentFolder parent(gameRoot, "bin/a.dll", Posix::ParentFolder::Missing::Create);
//   if (parent.Error() == 0) MoveFileReplacing(source, parent.EntryPath());
#include <string>
#include <string_view>

#include "platform/posix/UniqueFd.h"

namespace Posix {

class ParentFolder {
public:
    enum class Missing { Fail, Create };

    // relative: names joined by '/' (repeated '/' count as one); the last is the entry's.
    // Created folders get 0777 less the umask.
    ParentFolder(const std::string& root, std::string_view relative, Missing missing);
    ParentFolder(const ParentFolder&) = delete;
    ParentFolder& operator=(const ParentFolder&) = delete;

    // 0 once the folder is open, else the errno of the first step that failed: ELOOP or
    // ENOTDIR for a link or a file in the place of a folder, ENOENT for a missing one
    // (Missing::Fail), EINVAL for an empty entry name or a "." or ".." component.
    int Error() const { return error_; }
    // The open folder (an O_PATH handle, for the *at calls), or -1 with Error.
    int Descriptor() const { return fd_.Get(); }
    // The entry's own name, to use with Descriptor.
    const std::string& Name() const { return name_; }
    // The entry's path through the open folder ("/proc/self/fd/<fd>/<name>"): the kernel
    // resolves the first part to that very folder, so a helper that takes a path
    // reaches the entry without looking any folder up by name again. Empty with Error.
    std::string EntryPath() const;

private:
    UniqueFd fd_;
    int error_ = 0;
    std::string name_;
};

}  // namespace Posix
