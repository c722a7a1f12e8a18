#pragma once
// Opening a file that must be a regular one. The open itself never blocks: a FIFO or a
// device put in a file's place cannot hold the launcher up (O_NONBLOCK), and anything but
// a regular file is closed again at once. Descriptors are close-on-exec.
//
//   std::string bytes;
//   if (Posix::ReadRegularFile(path, Posix::Links::Refuse, kCap, bytes) == Posix::ReadOutcome::Whole) ...
#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <string>

namespace Posix {

// Whether a link in the last component of the path is followed. Below folders the
// player can write, a file the launcher reads on behalf of root is not reached
// through a link.
enum class Links { Follow, Refuse };

// The regular file at path opened for reading, or -1 with errno: ELOOP for a refused
// link, EISDIR for a folder, EINVAL for anything else that is not a regular file.
// info, when given, receives the file's status.
int OpenRegularFile(const char* path, Links links, struct stat* info = nullptr);

enum class ReadOutcome {
    Failed,  // no regular file opens there, or a read failed
    Whole,   // bytes holds the whole file
    Cut,     // bytes holds the first cap bytes; the file has more
};
// Reads the regular file at path into bytes, at most cap bytes of it.
ReadOutcome ReadRegularFile(const char* path, Links links, std::size_t cap, std::string& bytes);

// The regular file at path opened for writing with flags (O_WRONLY or O_RDWR, with
// O_APPEND or O_CREAT as wanted; mode for a created file). A link there is never
// followed (ELOOP). -1 with errno otherwise.
int OpenRegularFileToWrite(const char* path, int flags, mode_t mode);

}  // namespace Posix
