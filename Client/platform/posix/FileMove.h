#pragma once
// Putting a file in place so that a crash leaves the old file or the new one, never a
// part of one: the bytes go to a new temporary file in the target's folder, reach the
// disk, and the temporary file is renamed over the target; the rename reaches the disk
// through a flush of the folder. Each operation answers 0 or the errno of its failure,
// and a failure leaves the old target as it was and no temporary file behind.
//
// The launcher may run as root over folders the player can write, so nothing here is
// reached through a link: the temporary file is created under a fresh name (O_EXCL),
// the rename replaces a link at the target's name instead of following it, and a
// source to copy is opened without following a link and without blocking.
//
//   FileReplacement file(target, ReplacedFileMode(target, 0644));
//   if (file.Descriptor() < 0 || !Posix::WriteAll(file.Descriptor(), data, size)) return false;
//   return file.Commit() == 0;
#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string>

// One new file on its way to target. The temporary file exists from construction; it
// replaces target on Commit, or is removed when the object goes without one.
class FileReplacement {
public:
    // mode: the permission bits the new file ends with (umask does not apply).
    FileReplacement(const std::string& target, mode_t mode);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // The temporary file's descriptor, or -1 when it could not be created (Error says why).
    int Descriptor() const { return fd_; }
    // The temporary file's name, for a reader that must open it again by name; the open
    // must not follow a link there.
    const std::string& TemporaryPath() const { return temporary_; }
    int Error() const { return error_; }
    // Marks the new file as bad: Commit then fails with error and leaves target alone.
    void Fail(int error);

    // Flushes the new file, renames it over target and flushes the folder. With
    // keptOpen, the descriptor is handed over open instead of closed (for a file
    // written on after it is in place, like a log); *keptOpen is -1 on failure.
    int Commit(int* keptOpen = nullptr);

private:
    void Discard();

    std::string target_;
    std::string temporary_;
    mode_t mode_;
    int fd_ = -1;
    int error_ = 0;
};

// The permission bits a rewritten file keeps: those of the regular file now at target
// (never of a link's target), else fallback. Set-user-ID, set-group-ID and sticky bits
// are never kept: a root-owned copy of a player's file must not carry them.
mode_t ReplacedFileMode(const std::string& target, mode_t fallback);

// Replaces target with a file that fill writes into the descriptor it is given; fill
// answers 0 or an errno.
int ReplaceFileThrough(const std::string& target, mode_t mode, const std::function<int(int fd)>& fill);
// Replaces target with size bytes.
int ReplaceFileWithBytes(const std::string& target, const void* data, std::size_t size, mode_t mode);
// An empty file at target, replacing what was there.
int WriteEmptyFileReplacing(const std::string& target);
// A new empty file at target, replacing what was there, left open for writing: the
// descriptor, or -1 with errno.
int OpenFreshFileReplacing(const std::string& target, mode_t mode);

// The permission bits of a copy: the source's (without the bits ReplacedFileMode
// drops), with extra ones added; or fixed ones.
struct CopyMode {
    static CopyMode OfSource(mode_t extra = 0) { return CopyMode{true, extra}; }
    static CopyMode Fixed(mode_t mode) { return CopyMode{false, mode}; }
    mode_t For(mode_t sourceMode) const { return fromSource ? ((sourceMode & 0777) | bits) : bits; }

    bool fromSource;
    mode_t bits;
};

// A copy of the regular file source (not a link, not a FIFO or a device: EISDIR for a
// folder, ELOOP for a link, EINVAL for the rest) through a temporary file in target's
// folder, renamed over target; source stays.
int CopyFileReplacing(const std::string& source, const std::string& target, CopyMode mode = CopyMode::OfSource());

// rename() over target after flushing source; across file systems, a copy through a
// temporary file in target's folder, then source is removed. A link as source is
// refused (ELOOP).
int MoveFileReplacing(const std::string& source, const std::string& target);

// The file system is full, or the user's quota is.
bool IsNoSpaceError(int error);
