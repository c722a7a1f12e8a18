#include "base/config/LineWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "base/runtime/StrUtil.h"

namespace Config {

namespace {

::String FolderOf(const ::String& path) {
    const char* slash = std::strrchr(path.CStr(), '/');
    if (!slash) return ".";
    if (slash == path.CStr()) return "/";
    return ::String(path.CStr(), slash);
}

// The folder's entry for the renamed file reaches the disk too.
void SyncFolder(const ::String& folder) {
    const int fd = ::open(folder.CStr(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

RefPtr<FileLineWriter> FileLineWriter::Create(const ::String& path) {
    if (path.IsEmpty()) return nullptr;
    ::String pattern = path;
    pattern.Append(".tmp-XXXXXX");
    const int fd = ::mkostemp(pattern.Data(), O_CLOEXEC);
    if (fd < 0) return nullptr;
    // The new file keeps the permissions of the one it replaces.
    struct stat existing;
    ::fchmod(fd, ::stat(path.CStr(), &existing) == 0 ? (existing.st_mode & 07777) : 0644);
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) {
        ::close(fd);
        ::unlink(pattern.CStr());
        return nullptr;
    }
    RefPtr<FileLineWriter> writer(new FileLineWriter(file, path, pattern));
    const ::String& bom = StrUtil::Utf8Bom();
    if (std::fwrite(bom.CStr(), 1, bom.Length(), file) != bom.Length()) writer->failed_ = true;
    return writer;
}

FileLineWriter::FileLineWriter(std::FILE* file, const ::String& target, const ::String& temporary)
    : file_(file), target_(target), temporary_(temporary) {}

FileLineWriter::~FileLineWriter() {
    if (file_) {
        std::fclose(file_);
        ::unlink(temporary_.CStr());
    }
}

bool FileLineWriter::WriteLine(const WideString& line) {
    if (!file_ || failed_) return false;
    ::String bytes = StrUtil::ToNarrow(line);
    bytes.Append("\r\n");
    if (std::fwrite(bytes.CStr(), 1, bytes.Length(), file_) != bytes.Length()) failed_ = true;
    return !failed_;
}

bool FileLineWriter::Commit() {
    if (!file_) return false;
    bool ok = !failed_ && std::fflush(file_) == 0 && !std::ferror(file_) && ::fsync(::fileno(file_)) == 0;
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    if (ok && std::rename(temporary_.CStr(), target_.CStr()) == 0) {
        SyncFolder(FolderOf(target_));
        return true;
    }
    ::unlink(temporary_.CStr());
    return false;
}

}  // namespace Config
