#include "base/vfs/WinVFS.h"

#include "base/io/FindFiles.h"
#include "base/io/InflateReader.h"
#include "base/io/MemoryMappedFile.h"
#include "base/io/RawReader.h"
#include "base/vfs/FileNotifier.h"
#include "base/vfs/VfsEntries.h"

namespace NVFS {

RefPtr<CWinVFS> CWinVFS::Create(const String& rootPattern, const String& modName, const StringVector& preferredPacks) {
    return RefPtr<CWinVFS>(new CWinVFS(rootPattern, modName, preferredPacks));
}

CWinVFS::CWinVFS(const String& rootPattern, const String& modName, const StringVector& preferredPacks)
    : preferred_(preferredPacks) {
    if (rootPattern.IsEmpty()) return;
    modName_ = modName;
    rootIsFile_ = Path::FileExists(rootPattern);
    String pattern;
    Path::ToForwardSlashes(pattern, rootPattern);
    String mask;
    if (pattern[pattern.Length() - 1] == '/') {
        root_ = pattern;
        mask = "*.pak";
    } else {
        root_ = Path::ParentPath(pattern);
        mask = Path::FileName(pattern);
    }
    ScanPacks("packs/", mask, 0);
    ScanPacks("mods/addons/", mask, 0);
    if (!modName_.IsEmpty()) {
        ScanPacks("packs/", Path::Concat('*', modName_), 1);
        ScanPacks("mods/addons/", Path::Concat('*', modName_), 1);
    }
}

String CWinVFS::Fold(const String& key) {
    String folded;
    folded.AssignLower(key);
    Path::ReplaceChar(folded, '\\', '/');
    return folded;
}

void CWinVFS::ScanPacks(const String& folder, const String& mask, std::uint32_t priority) {
    for (FindFiles find(root_ + folder + mask); find.IsValid(); find.Next()) {
        if (find.IsDirectory()) continue;
        const String key = Fold(folder + find.Name());
        std::uint32_t packPriority = priority;
        for (const String& preferred : preferred_) {
            if (preferred.Equals(key)) packPriority |= 0x80000000u;
        }
        MountPack(WideString(find.FullPath()), packPriority);
    }
}

bool CWinVFS::MountPack(const WideString& path, std::uint32_t priority, const std::uint8_t* blockBegin,
                        const std::uint8_t* blockEnd) {
    RefPtr<ZipArchive> archive(new ZipArchive(path, blockBegin, blockEnd));
    if (archive->GetEntryCount() == 0) return false;
    RefPtr<MountedPack> pack(new MountedPack);
    pack->name = path;
    pack->archive = archive;
    packs_.PushBack(pack);
    String name;
    for (std::size_t i = 0; i < archive->GetEntryCount(); ++i) {
        if (archive->GetEntrySize(i) <= 0 || archive->IsFolderEntry(i)) continue;
        archive->GetEntryName(i, name);
        const String key = MakeRelative(name, root_).path;
        if (key.IsEmpty() || !IsSafeKey(key)) continue;  // a hostile pack cannot name files outside the tree
        const std::uint32_t time = archive->GetEntryTime(i);
        const Table::Node* node = table_.Find(Fold(key));
        const CFileEntry* current = node ? node->data.entry.Get() : nullptr;
        if (!current || current->priority < priority || (current->priority == priority && current->dosTime < time)) {
            AddPackEntry(key, priority, time, pack.Get(), static_cast<int>(i));
        }
    }
    return true;
}

CWinVFS::Table::Node* CWinVFS::Put(const String& key, CFileEntry* entry) {
    const String folded = Fold(key);
    Table::Node* node = table_.Find(folded);
    if (!node) {
        node = table_.Insert(folded, TableEntry{key, nullptr});
        if (sortedIndexBuilt_) sortedIndex_.insert(key);
    }
    node->data.entry = entry;
    return node;
}

void CWinVFS::AddPackEntry(const String& key, std::uint32_t priority, std::uint32_t time, MountedPack* pack,
                           int index) {
    RefPtr<CFileEntry> entry(new ZipFileEntry(pack, index, priority, time));
    Put(key, entry.Get());
}

CWinVFS::CFileEntry* CWinVFS::AddLooseFile(const String& key, const String& fullPath, std::uint32_t time) {
    RefPtr<CFileEntry> entry(new CWinFileEntry(fullPath, time));
    entry->checked = true;
    return Put(key, entry.Get())->data.entry.Get();
}

bool CWinVFS::FindLoose(const String& key, String& fullPath, FileStat& stat) const {
    fullPath = root_ + key;
    if (StatDiskFile(fullPath, &stat)) return true;
    String resolved;
    if (!Path::ResolveCase(fullPath, resolved) || !StatDiskFile(resolved, &stat)) return false;
    fullPath = resolved;
    return true;
}

RefPtr<CWinVFS::CFileEntry> CWinVFS::Lookup(const String& key, bool force) {
    if (!IsSafeKey(key)) return nullptr;
    std::lock_guard<std::mutex> guard(lock_);
    Table::Node* node = table_.Find(Fold(key));
    String fullPath;
    FileStat stat;
    if (node) {
        CFileEntry* entry = node->data.entry.Get();
        if (!entry->checked || force) {
            if (entry->priority == 0 && FindLoose(node->data.key, fullPath, stat) && entry->dosTime < stat.modified) {
                entry = AddLooseFile(node->data.key, fullPath, stat.modified);
            }
            entry->checked = true;
        }
        return RefPtr<CFileEntry>(entry);
    }
    if (!FindLoose(key, fullPath, stat)) return nullptr;
    return RefPtr<CFileEntry>(AddLooseFile(key, fullPath, stat.modified));
}

bool CWinVFS::MarkChanged(const String& path) {
    const String key = MakeRelative(path, root_).path;
    std::lock_guard<std::mutex> guard(lock_);
    if (Table::Node* node = table_.Find(Fold(key))) node->data.entry->checked = false;
    return true;
}

RefPtr<IFileNotifier> CWinVFS::CreateNotifier(const String& folder) {
    return RefPtr<IFileNotifier>(new FileNotifier(folder.IsEmpty() ? root_ : folder));
}

RefPtr<CDataStream> CWinVFS::OpenMapped(const FilePath& path) {
    const RelativePath relative = MakeRelative(path.path, root_);
    if (relative.inside) {
        RefPtr<CFileEntry> entry = Lookup(relative.path, false);
        return entry ? entry->OpenMapped(path) : nullptr;
    }
    RefPtr<CDataStream> file(new CMemoryMappedFile(path.path, FileSource::Read));
    return file->IsReadable() ? file : nullptr;
}

RefPtr<IFileReader> CWinVFS::OpenCompressed(const FilePath& path, RefPtr<MappedStream>* window) {
    const RelativePath relative = MakeRelative(path.path, root_);
    if (relative.inside) {
        RefPtr<CFileEntry> entry = Lookup(relative.path, false);
        return entry ? entry->OpenCompressed(window) : nullptr;
    }
    return ZipReader<MappedStream>::CreateFromFile(path.path);
}

RefPtr<IRawFileReader> CWinVFS::OpenRaw(const FilePath& path) {
    const RelativePath relative = MakeRelative(path.path, root_);
    if (relative.inside) {
        RefPtr<CFileEntry> entry = Lookup(relative.path, false);
        return entry ? entry->OpenRaw(path) : nullptr;
    }
    return RawReader<MappedStream>::CreateFromFile(path.path);
}

RefPtr<IDataFileWrap> CWinVFS::GetEntry(const FilePath& path) {
    if (path.archive && path.index != -1) {
        if (path.index < 0 || static_cast<std::size_t>(path.index) >= path.archive->GetEntryCount()) return nullptr;
        RefPtr<MountedPack> pack(new MountedPack);
        pack->archive = path.archive;
        RefPtr<IDataFileWrap> entry(new ZipFileEntry(pack.Get(), path.index, 0xFFFFFFFFu, 0));
        return entry;
    }
    const RelativePath relative = MakeRelative(path.path, root_);
    if (!relative.inside) return nullptr;
    return RefPtr<IDataFileWrap>(Lookup(relative.path, false).Get());
}

bool CWinVFS::Exists(const FilePath& path) {
    const RelativePath relative = MakeRelative(path.path, root_);
    return relative.inside ? Lookup(relative.path, false) != nullptr : Path::FileExists(path.path);
}

bool CWinVFS::Stat(FileStat* out, const FilePath& path) {
    const RelativePath relative = MakeRelative(path.path, root_);
    if (!relative.inside) return StatDiskFile(path.path, out);
    RefPtr<CFileEntry> entry = Lookup(relative.path, true);
    return entry && entry->Stat(out, path);
}

RefPtr<ILockedFile> CWinVFS::ExtractToTemp(const FilePath& path) {
    const RelativePath relative = MakeRelative(path.path, root_);
    RefPtr<CFileEntry> entry = Lookup(relative.path, false);
    if (!entry) return nullptr;
    return entry->Lock(relative.inside ? root_ + relative.path : path.path);
}

void CWinVFS::ResolvePath(String& out, const FilePath& path, bool keepShortNames) {
    const RelativePath relative = MakeRelative(path.path, root_);
    out = relative.inside ? Path::Canonical(relative.path, root_, keepShortNames) : Path::AbsolutePath(path.path);
}

bool CWinVFS::GetPackRevision(const FilePath& path, std::int32_t& revision) {
    const RelativePath relative = MakeRelative(path.path, root_);
    if (!relative.inside) return false;
    RefPtr<CFileEntry> entry;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (const Table::Node* node = table_.Find(Fold(relative.path))) entry = node->data.entry;
    }
    auto* packEntry = dynamic_cast<ZipFileEntry*>(entry.Get());
    if (!packEntry) return false;
    revision = packEntry->Archive()->GetRevision();
    return true;
}

RefPtr<ZipArchive> CWinVFS::FindArchive(const WideString& name) {
    for (const RefPtr<MountedPack>& pack : packs_) {
        if (pack->name.Equals(name)) return pack->archive;
    }
    return nullptr;
}

}  // namespace NVFS
