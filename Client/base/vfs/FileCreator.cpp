#include "base/vfs/FileCreator.h"

#include <unistd.h>

#include <cstdio>

#include "base/io/FileStream.h"
#include "base/io/Path.h"
#include "base/io/ZipPacker.h"
#include "base/vfs/WinVFS.h"

namespace NVFS {

RefPtr<CWinFileCreator> CWinFileCreator::Create(const String& root) {
    RefPtr<CWinFileCreator> creator(new CWinFileCreator(root));
    RefPtr<IVFS> global = GetGlobalVFS();
    if (auto* vfs = dynamic_cast<CWinVFS*>(global.Get())) creator->changed.Connect<&CWinVFS::MarkChanged>(vfs);
    return creator;
}

bool CWinFileCreator::WriteWhole(const FilePath& path, const void* data, std::size_t size) {
    String full;
    ResolvePath(full, path);
    if (!WriteFileReplacing(full, data, size)) return false;
    changed.Fire(full);
    return true;
}

void CWinFileCreator::ResolvePath(String& out, const FilePath& path) {
    const RelativePath relative = MakeRelative(path.path, root_);
    if (relative.inside) {
        out = root_ + relative.path;
    } else {
        Path::ToForwardSlashes(out, path.path);
    }
}

RefPtr<CDataStream> CWinFileCreator::CreateMapped(const FilePath& path) {
    String full;
    ResolvePath(full, path);
    RefPtr<CFileStream> stream(new CFileStream(full, true));
    if (stream->HasError()) return nullptr;
    changed.Fire(full);
    return RefPtr<CDataStream>(stream.Get());
}

RefPtr<IFileWriter> CWinFileCreator::CreateCompressed(const FilePath& path) {
    String full;
    ResolvePath(full, path);
    Path::CreateFolders(Path::ParentPath(full));
    RefPtr<ZipPacker> packer = ZipPacker::Create(full);
    if (!packer) return nullptr;
    changed.Fire(full);
    return RefPtr<IFileWriter>(packer.Get());
}

bool CWinFileCreator::Delete(const FilePath& path) {
    String full;
    ResolvePath(full, path);
    changed.Fire(full);
    return ::unlink(full.CStr()) == 0;
}

bool CWinFileCreator::Move(const FilePath& from, const FilePath& to) {
    String source;
    String target;
    ResolvePath(source, from);
    ResolvePath(target, to);
    changed.Fire(source);
    changed.Fire(target);
    return std::rename(source.CStr(), target.CStr()) == 0;
}

}  // namespace NVFS
