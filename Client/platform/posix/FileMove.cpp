#include "platform/posix/FileMove.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/posix/FileMapping.h"
#include "platform/posix/RegularFile.h"
#include "platform/posix/UniqueFd.h"

namespace {

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}


// A failure to flush a folder is not reported: some file systems refuse it, and the
// rename has happened by then.
void SyncFolder(const std::string& folder) {
    Posix::UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Valid()) ::fsync(dir.Get());
}

// 0 or the errno of the failed read or write; a write that stores nothing sets none.
int CopyBytes(int from, int to) {
    errno = 0;
    if (Posix::CopyAll(from, to)) return 0;
    return errno != 0 ? errno : EIO;
}

}  // namespace

FileReplacement::FileReplacement(const std::string& target, mode_t mode) : target_(target), mode_(mode) {
    if (target.empty() || target.back() == '/') {
        error_ = EISDIR;
        return;
    }
    temporary_ = FolderOf(target) + "/." + NameOf(target) + ".XXXXXX";
    // mkostemp creates with O_EXCL: the bytes land in a file of our own, never through a link.
    fd_ = ::mkostemp(temporary_.data(), O_CLOEXEC);
    if (fd_ < 0) {
        error_ = errno;
        temporary_.clear();
    }
}

FileReplacement::~FileReplacement() { Discard(); }

void FileReplacement::Fail(int error) {
    if (error_ == 0) error_ = error != 0 ? error : EIO;
}

void FileReplacement::Discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
}

int FileReplacement::Commit(int* keptOpen) {
    if (keptOpen) *keptOpen = -1;
    int error = error_;
    if (error == 0 && fd_ < 0) error = EBADF;
    if (error == 0 && ::fchmod(fd_, mode_) != 0) error = errno;
    if (error == 0 && ::fsync(fd_) != 0) error = errno;
    // The close may be the first to tell of a failed write.
    if (error == 0 && !keptOpen) {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) error = errno;
    }
    if (error == 0 && ::rename(temporary_.c_str(), target_.c_str()) != 0) error = errno;
    if (error != 0) {
        error_ = error;
        Discard();
        return error;
    }
    temporary_.clear();
    SyncFolder(FolderOf(target_));
    if (keptOpen) *keptOpen = fd_;
    fd_ = -1;
    return 0;
}

mode_t ReplacedFileMode(const std::string& target, mode_t fallback) {
    struct stat info {};
    if (::lstat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return info.st_mode & 0777;
    return fallback & 0777;
}

int ReplaceFileThrough(const std::string& target, mode_t mode, const std::function<int(int fd)>& fill) {
    FileReplacement file(target, mode);
    if (file.Descriptor() >= 0) {
        if (const int error = fill(file.Descriptor())) file.Fail(error);
    }
    return file.Commit();
}

int ReplaceFileWithBytes(const std::string& target, const void* data, std::size_t size, mode_t mode) {
    return ReplaceFileThrough(target, mode, [&](int fd) {
        errno = 0;
        if (Posix::WriteAll(fd, data, size)) return 0;
        return errno != 0 ? errno : EIO;
    });
}

int WriteEmptyFileReplacing(const std::string& target) {
    return ReplaceFileThrough(target, 0644, [](int) { return 0; });
}

int OpenFreshFileReplacing(const std::string& target, mode_t mode) {
    FileReplacement file(target, mode);
    int fd = -1;
    if (const int error = file.Commit(&fd)) {
        errno = error;
        return -1;
    }
    return fd;
}

int CopyFileReplacing(const std::string& source, const std::string& target, CopyMode mode) {
    struct stat info {};
    Posix::UniqueFd in(Posix::OpenRegularFile(source.c_str(), Posix::Links::Refuse, &info));
    if (!in.Valid()) return errno;
    return ReplaceFileThrough(target, mode.For(info.st_mode), [&](int out) { return CopyBytes(in.Get(), out); });
}

int MoveFileReplacing(const std::string& source, const std::string& target) {
    {
        Posix::UniqueFd file(Posix::OpenRegularFile(source.c_str(), Posix::Links::Refuse));
        if (!file.Valid()) return errno;
        if (::fsync(file.Get()) != 0) return errno;
    }
    if (::rename(source.c_str(), target.c_str()) == 0) {
        SyncFolder(FolderOf(target));
        return 0;
    }
    if (errno != EXDEV) return errno;
    if (const int error = CopyFileReplacing(source, target)) return error;
    ::unlink(source.c_str());
    return 0;
}

bool IsNoSpaceError(int error) { return error == ENOSPC || error == EDQUOT; }
