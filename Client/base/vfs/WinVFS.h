#pragma once
// The file system: ZIP packs mounted with priorities, and loose files under the root
// that override a priority-0 pack entry when they are newer. Keys are relative to the
// root, '/'-separated, and compare without letter case ('\' = '/').
#include <map>
#include <mutex>
#include <set>

#include "base/io/Path.h"
#include "base/runtime/HashMap.h"
#include "base/vfs/IVFS.h"

namespace NVFS {

class CWinVFS : public IVFS {
public:
    // A pack as mounted: the name it was mounted under and its archive.
    struct MountedPack : RefCounter {
        WideString name;
        RefPtr<ZipArchive> archive;
    };

    class CFileEntry : public IDataFileWrap {
    public:
        std::uint32_t priority = 0;  // bit 31: a preferred pack
        std::uint32_t dosTime = 0;
        bool checked = false;        // the loose-file test of Lookup has been made
    };

    // rootPattern "data/" gives the root data/ and the pack mask "*.pak"; "data/*.zip" the
    // root data/ and the mask "*.zip"; preferred packs are lower-case keys such as "packs/a.pak".
    static RefPtr<CWinVFS> Create(const String& rootPattern, const String& modName, const StringVector& preferredPacks);

    // Mounts a pack file, or a memory block holding an archive (the path then only names it).
    bool MountPack(const WideString& path, std::uint32_t priority, const std::uint8_t* blockBegin = nullptr,
                   const std::uint8_t* blockEnd = nullptr);

    RefPtr<IFileNotifier> CreateNotifier(const String& folder) override;
    RefPtr<CDataStream> OpenMapped(const FilePath& path) override;
    RefPtr<IFileReader> OpenCompressed(const FilePath& path, RefPtr<MappedStream>* window) override;
    RefPtr<IRawFileReader> OpenRaw(const FilePath& path) override;
    RefPtr<IDataFileWrap> GetEntry(const FilePath& path) override;
    bool Exists(const FilePath& path) override;
    bool Stat(FileStat* out, const FilePath& path) override;
    void ListFiles(StringVector& out, const String& folder, const String& mask, bool recursive,
                   std::int64_t since) override;
    RefPtr<ILockedFile> ExtractToTemp(const FilePath& path) override;
    void GetRoot(String& out) const override { out = root_; }
    void ResolvePath(String& out, const FilePath& path, bool keepShortNames) override;
    void ListDirectories(StringVector& out, const String& folder) override;
    bool GetPackRevision(const FilePath& path, std::int32_t& revision) override;
    RefPtr<ZipArchive> FindArchive(const WideString& name) override;

    // The entry of a key (a counted reference taken under the lock), after the lazy
    // loose-file test; null when the key names nothing or climbs out of the root.
    RefPtr<CFileEntry> Lookup(const String& key, bool force);
    // Makes the next lookup of path test the loose file again.
    bool MarkChanged(const String& path);

protected:
    CWinVFS(const String& rootPattern, const String& modName, const StringVector& preferredPacks);
    ~CWinVFS() override = default;

private:
    struct TableEntry {
        String key;  // as first spelled
        RefPtr<CFileEntry> entry;
    };
    using Table = HashMap<String, TableEntry>;

    static String Fold(const String& key);
    void ScanPacks(const String& folder, const String& mask, std::uint32_t priority);
    void AddPackEntry(const String& key, std::uint32_t priority, std::uint32_t time, MountedPack* pack, int index);
    CFileEntry* AddLooseFile(const String& key, const String& fullPath, std::uint32_t time);
    Table::Node* Put(const String& key, CFileEntry* entry);
    // The loose file of a key, with the letter case resolved on disk when the exact
    // spelling does not exist; false when there is none.
    bool FindLoose(const String& key, String& fullPath, FileStat& stat) const;
    void ScanDisk(const String& folder, const String& mask, bool recursive, std::int64_t since);
    void BuildFolders();

    Vector<RefPtr<MountedPack>> packs_;
    Table table_;
    std::set<String, Path::LessFunctor> sortedIndex_;
    bool sortedIndexBuilt_ = false;
    std::set<String, Path::LessFunctor> folders_;
    bool foldersBuilt_ = false;
    String root_;
    String modName_;
    StringVector preferred_;
    bool scanned_ = false;
    bool rootIsFile_ = false;
    std::mutex lock_;
};

}  // namespace NVFS
