#include "base/vfs/LockedFile.h"

#include <fcntl.h>
#include <unistd.h>

#include "base/io/Path.h"
#include "platform/posix/FileMapping.h"

namespace NVFS {

TemporaryFile::~TemporaryFile() { ::unlink(path_.CStr()); }

RefPtr<ILockedFile> TemporaryFile::Extract(CDataStream* data) {
    const String path = Path::TempFileName(Path::TempPath(), "gam");
    if (path.IsEmpty()) return nullptr;
    bool ok = data != nullptr;
    if (ok) {
        const int fd = ::open(path.CStr(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        ok = fd >= 0;
        if (ok) {
            ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
            ok = Posix::WriteAll(fd, data->Data(), data->Size()) && !data->HasError();
            ok = ::close(fd) == 0 && ok;
        }
    }
    if (!ok) {
        ::unlink(path.CStr());
        return nullptr;
    }
    return RefPtr<ILockedFile>(new TemporaryFile(path));
}

}  // namespace NVFS
