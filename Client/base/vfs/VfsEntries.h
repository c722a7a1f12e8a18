#pragma once
// The two kinds of file in the tree: a loose file on disk and an entry of a pack.
#include "base/vfs/WinVFS.h"

namespace NVFS {

class CWinFileEntry : public CWinVFS::CFileEntry {
public:
    CWinFileEntry(const String& fullPath, std::uint32_t time) : fullPath_(fullPath) { dosTime = time; }

    std::uint64_t GetId() const override { return 0; }
    RefPtr<IFileReader> OpenCompressed(RefPtr<MappedStream>* window) override;
    std::uint32_t IsPreferred() const override { return 0; }
    bool GetPackName(WideString& name, std::int32_t& index) const override;
    RefPtr<CDataStream> OpenMapped(const FilePath& path) override;
    RefPtr<IRawFileReader> OpenRaw(const FilePath& path) override;
    RefPtr<ILockedFile> Lock(const String& fullPath) override;
    bool Stat(FileStat* out, const FilePath& path) override;

private:
    String fullPath_;  // root + key, in the letter case found on disk
};

class ZipFileEntry : public CWinVFS::CFileEntry {
public:
    ZipFileEntry(CWinVFS::MountedPack* pack, std::int32_t index, std::uint32_t entryPriority, std::uint32_t time);

    std::uint64_t GetId() const override;
    RefPtr<IFileReader> OpenCompressed(RefPtr<MappedStream>* window) override;
    std::uint32_t IsPreferred() const override { return priority >> 31; }
    bool GetPackName(WideString& name, std::int32_t& index) const override;
    RefPtr<CDataStream> OpenMapped(const FilePath& path) override;
    RefPtr<IRawFileReader> OpenRaw(const FilePath& path) override;
    RefPtr<ILockedFile> Lock(const String& fullPath) override;
    bool Stat(FileStat* out, const FilePath& path) override;

    ZipArchive* Archive() const { return pack_->archive.Get(); }

private:
    RefPtr<CWinVFS::MountedPack> pack_;
    std::int32_t index_;
    std::uint32_t identity_;
};

}  // namespace NVFS
