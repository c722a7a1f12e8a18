#pragma once
// The virtual file system's interfaces: one tree of files from ZIP packs and from
// loose files under a root folder.
#include <cstdint>

#include "base/io/DataStream.h"
#include "base/io/FileReader.h"
#include "base/io/MappedStream.h"
#include "base/io/RawFileReader.h"
#include "base/vfs/FilePath.h"

namespace NVFS {

// A real file holding an entry's data, for callers that need a path.
class ILockedFile : public RefCounter {
public:
    virtual String GetPath() const = 0;

protected:
    ~ILockedFile() override = default;
};

// One file of the tree.
class IDataFileWrap : public RefCounter {
public:
    // Entry index in the low 32 bits, a value unique to the entry above; 0 for loose files.
    virtual std::uint64_t GetId() const = 0;
    // An inflater of content that is itself a zlib stream.
    virtual RefPtr<IFileReader> OpenCompressed(RefPtr<MappedStream>* window) = 0;
    virtual std::uint32_t IsPreferred() const = 0;
    virtual bool GetPackName(WideString& name, std::int32_t& index) const = 0;
    virtual RefPtr<CDataStream> OpenMapped(const FilePath& path) = 0;
    virtual RefPtr<IRawFileReader> OpenRaw(const FilePath& path) = 0;
    virtual RefPtr<ILockedFile> Lock(const String& fullPath) = 0;
    virtual bool Stat(FileStat* out, const FilePath& path) = 0;

protected:
    ~IDataFileWrap() override = default;
};

class IFileNotifier : public RefCounter {
public:
    // The names changed in the last batch ("/"-prefixed, relative to the folder); false
    // when nothing changed since the last call.
    virtual bool FetchChanges(StringVector& out) = 0;
    virtual bool TestAndClear() = 0;
    virtual String GetFolder() const = 0;

protected:
    ~IFileNotifier() override = default;
};

class IVFS : public RefCounter {
public:
    virtual RefPtr<IFileNotifier> CreateNotifier(const String& folder) = 0;
    virtual RefPtr<CDataStream> OpenMapped(const FilePath& path) = 0;
    virtual RefPtr<IFileReader> OpenCompressed(const FilePath& path, RefPtr<MappedStream>* window) = 0;
    virtual RefPtr<IRawFileReader> OpenRaw(const FilePath& path) = 0;
    virtual RefPtr<IDataFileWrap> GetEntry(const FilePath& path) = 0;
    virtual bool Exists(const FilePath& path) = 0;
    virtual bool Stat(FileStat* out, const FilePath& path) = 0;
    // Keys of the files in folder whose name matches mask; since is a POSIX time in
    // seconds: loose files written before it are not scanned.
    virtual void ListFiles(StringVector& out, const String& folder, const String& mask, bool recursive,
                           std::int64_t since) = 0;
    virtual RefPtr<ILockedFile> ExtractToTemp(const FilePath& path) = 0;
    virtual void GetRoot(String& out) const = 0;
    virtual void ResolvePath(String& out, const FilePath& path, bool keepShortNames) = 0;
    virtual void ListDirectories(StringVector& out, const String& folder) = 0;
    virtual bool GetPackRevision(const FilePath& path, std::int32_t& revision) = 0;
    virtual RefPtr<ZipArchive> FindArchive(const WideString& name) = 0;

protected:
    ~IVFS() override = default;
};

// The process-wide file system; held strongly until replaced or cleared with null.
void SetGlobalVFS(IVFS* vfs);
RefPtr<IVFS> GetGlobalVFS();

}  // namespace NVFS
