#include "base/vfs/LockedFile.h"

#include <fcntl.h>
#include <unistd.h>

#include "base/io/Path.h"
#include "platform/posix/FileMapping.h"
#include "platform/posix/RegularFile.h"

namespace NVFS {

TemporaryFile::~TemporaryFile() { ::unlink(path_.CStr()); }

RefPtr<ILockedFile> TemporaryFile::Extract(CDataStream* data) {
    const String path = Path::TempFileName(Path::TempPath(), "gam");
    if (path.IsEmpty()) return nullptr;
    bool ok = data != nullptr;
    if (ok) {
        // The name was made a moment ago in a shared folder: what is there now is not
        // followed if it is a link.
        const int fd = Posix::OpenRegularFileToWrite(path.CStr(), O_WRONLY, 0);
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
