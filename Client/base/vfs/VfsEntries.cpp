#include "base/vfs/VfsEntries.h"

#include <atomic>

#include "base/io/InflateReader.h"
#include "base/io/MemoryMappedFile.h"
#include "base/io/RawReader.h"
#include "base/vfs/LockedFile.h"

namespace NVFS {

// ---- loose files

RefPtr<IFileReader> CWinFileEntry::OpenCompressed(RefPtr<MappedStream>*) {
    return ZipReader<MappedStream>::CreateFromFile(fullPath_);
}

bool CWinFileEntry::GetPackName(WideString&, std::int32_t& index) const {
    index = -1;
    return false;
}

RefPtr<CDataStream> CWinFileEntry::OpenMapped(const FilePath&) {
    RefPtr<CDataStream> file(new CMemoryMappedFile(fullPath_, FileSource::Read));
    return file->IsReadable() ? file : nullptr;
}

RefPtr<IRawFileReader> CWinFileEntry::OpenRaw(const FilePath&) { return RawReader<MappedStream>::CreateFromFile(fullPath_); }

RefPtr<ILockedFile> CWinFileEntry::Lock(const String&) { return RefPtr<ILockedFile>(new LockedFile(fullPath_)); }

bool CWinFileEntry::Stat(FileStat* out, const FilePath&) { return StatDiskFile(fullPath_, out); }

// ---- pack entries

ZipFileEntry::ZipFileEntry(CWinVFS::MountedPack* pack, std::int32_t index, std::uint32_t entryPriority,
                           std::uint32_t time)
    : pack_(pack), index_(index) {
    static std::atomic<std::uint32_t> nextIdentity{1};
    identity_ = nextIdentity++;
    priority = entryPriority;
    dosTime = time;
    checked = entryPriority != 0;
}

std::uint64_t ZipFileEntry::GetId() const {
    return (static_cast<std::uint64_t>(identity_) << 32) | static_cast<std::uint32_t>(index_);
}

RefPtr<IFileReader> ZipFileEntry::OpenCompressed(RefPtr<MappedStream>* window) {
    return Archive()->OpenEntryReader(static_cast<std::size_t>(index_), window);
}

bool ZipFileEntry::GetPackName(WideString& name, std::int32_t& index) const {
    name = pack_->name;
    index = index_;
    return true;
}

RefPtr<CDataStream> ZipFileEntry::OpenMapped(const FilePath&) { return Archive()->OpenEntry(static_cast<std::size_t>(index_)); }

RefPtr<IRawFileReader> ZipFileEntry::OpenRaw(const FilePath&) {
    return Archive()->OpenEntryRaw(static_cast<std::size_t>(index_), false);
}

RefPtr<ILockedFile> ZipFileEntry::Lock(const String&) {
    RefPtr<CDataStream> data = Archive()->OpenEntry(static_cast<std::size_t>(index_));
    return data ? TemporaryFile::Extract(data.Get()) : nullptr;
}

bool ZipFileEntry::Stat(FileStat* out, const FilePath&) {
    if (!out) return false;
    out->flags = 0;
    out->size = static_cast<std::uint32_t>(Archive()->GetEntrySize(static_cast<std::size_t>(index_)));
    out->created = out->modified = out->accessed = dosTime;
    return true;
}

}  // namespace NVFS
