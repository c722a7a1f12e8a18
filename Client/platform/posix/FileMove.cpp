#include "platform/posix/FileMove.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/FileMapping.h"

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

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() { Close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    // 0 or the errno of the close, which may be the first to tell of a failed write.
    int Close() {
        if (fd_ < 0) return 0;
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int fd_;
};

int SyncFile(const std::string& path) {
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.Valid()) return errno;
    return ::fsync(file.Get()) == 0 ? 0 : errno;
}

// A failure to flush a folder is not reported: some file systems refuse it, and the
// rename has happened by then.
void SyncFolder(const std::string& folder) {
    Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Valid()) ::fsync(dir.Get());
}

// 0 or the errno of the failed read or write; a write that stores nothing sets none.
int CopyBytes(int from, int to) {
    errno = 0;
    if (Posix::CopyAll(from, to)) return 0;
    return errno != 0 ? errno : EIO;
}

// Writes a temporary file beside target with fill, flushes it and renames it over target.
template <class Fill>
int ReplaceThroughTemporary(const std::string& target, mode_t mode, Fill fill) {
    const std::string folder = FolderOf(target);
    std::string temporary = folder + "/." + NameOf(target) + ".XXXXXX";
    Descriptor out(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!out.Valid()) return errno;
    int error = fill(out.Get());
    if (error == 0 && ::fchmod(out.Get(), mode) != 0) error = errno;
    if (error == 0 && ::fsync(out.Get()) != 0) error = errno;
    const int closed = out.Close();
    if (error == 0) error = closed;
    if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        return error;
    }
    SyncFolder(folder);
    return 0;
}

}  // namespace

int CopyFileReplacing(const std::string& source, const std::string& target) {
    Descriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in.Valid()) return errno;
    struct stat info {};
    if (::fstat(in.Get(), &info) != 0) return errno;
    if (!S_ISREG(info.st_mode)) return EISDIR;
    return ReplaceThroughTemporary(target, info.st_mode & 07777, [&](int out) { return CopyBytes(in.Get(), out); });
}

int MoveFileReplacing(const std::string& source, const std::string& target) {
    if (const int error = SyncFile(source)) return error;
    if (::rename(source.c_str(), target.c_str()) == 0) {
        SyncFolder(FolderOf(target));
        return 0;
    }
    if (errno != EXDEV) return errno;
    if (const int error = CopyFileReplacing(source, target)) return error;
    ::unlink(source.c_str());
    return 0;
}

int WriteEmptyFileReplacing(const std::string& target) {
    return ReplaceThroughTemporary(target, 0644, [](int) { return 0; });
}

bool IsNoSpaceError(int error) { return error == ENOSPC || error == EDQUOT; }
