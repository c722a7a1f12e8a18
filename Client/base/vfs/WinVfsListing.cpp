// Listing files and folders: the sorted index, the folder set and the disk scan.
#include "base/io/FindFiles.h"
#include "base/vfs/WinVFS.h"

namespace NVFS {

namespace {
// A folder argument as the sorted walk needs it: '/' separators and a trailing '/',
// or empty for the root.
String FolderPrefix(const String& folder) {
    String prefix;
    Path::ToForwardSlashes(prefix, folder);
    Path::EnsureTrailingSeparator(prefix, '/');
    return prefix;
}

bool HasSeparator(const String& key) {
    for (char c : key) {
        if (Path::IsSeparator(c)) return true;
    }
    return false;
}

// Whether key lies in folder (a FolderPrefix): directly, or anywhere below when recursive.
bool InFolder(const String& key, const String& folder, bool recursive) {
    if (folder.IsEmpty()) return recursive || !HasSeparator(key);
    return Path::IsInFolder(key, folder, recursive);
}

// Walks a Less-ordered set from the folder's position, adding members that lie in it.
template <class Set, class Accept>
void WalkFolder(const Set& set, const String& folder, bool recursive, StringVector& out, Accept accept) {
    for (auto it = set.lower_bound(folder); it != set.end(); ++it) {
        const String& key = *it;
        if (key.Length() > folder.Length() && InFolder(key, folder, recursive)) {
            if (accept(key)) out.PushBack(key);
        } else if (!recursive) {
            break;  // direct children form one run after the folder's position
        }
    }
}
}  // namespace

void CWinVFS::ScanDisk(const String& folder, const String& mask, bool recursive, std::int64_t since) {
    for (FindFiles find(root_ + folder + mask); find.IsValid(); find.Next()) {
        const Path::FileInfo& info = find.Info();
        if (find.IsDirectory() || info.size == 0 || info.modified < since) continue;
        const String key = folder + find.Name();
        const Table::Node* node = table_.Find(Fold(key));
        const CFileEntry* current = node ? node->data.entry.Get() : nullptr;
        if (!current || (current->priority == 0 && current->dosTime < info.modifiedDos)) {
            AddLooseFile(key, find.FullPath(), info.modifiedDos);
        }
    }
    if (!recursive) return;
    for (FindFiles find(root_ + folder + "*"); find.IsValid(); find.Next()) {
        if (find.IsDirectory() && !find.IsHidden()) ScanDisk(folder + find.Name() + "/", mask, true, since);
    }
}

void CWinVFS::ListFiles(StringVector& out, const String& folder, const String& mask, bool recursive,
                        std::int64_t since) {
    std::lock_guard<std::mutex> guard(lock_);
    out.Clear();
    const String prefix = FolderPrefix(folder);
    if (!IsSafeKey(prefix)) return;
    const bool matchAll = mask.Equals("*.*");
    if (!rootIsFile_ && !scanned_) {
        ScanDisk(prefix, matchAll ? String("*") : mask, recursive, since);
        if (prefix.IsEmpty() && recursive && !matchAll) scanned_ = true;
    }
    auto matches = [&](const String& key) { return matchAll || Path::WildcardMatch(mask.CStr(), Path::FileName(key).CStr(), false); };
    if (prefix.IsEmpty() && recursive) {
        for (const Table::Node* node = table_.First(); node; node = table_.Next(node)) {
            if (matches(node->data.key)) out.PushBack(node->data.key);
        }
        return;
    }
    if (!sortedIndexBuilt_) {
        for (const Table::Node* node = table_.First(); node; node = table_.Next(node)) sortedIndex_.insert(node->data.key);
        sortedIndexBuilt_ = true;
    }
    WalkFolder(sortedIndex_, prefix, recursive, out, matches);
}

void CWinVFS::BuildFolders() {
    for (const RefPtr<MountedPack>& pack : packs_) {
        const ZipArchive& archive = *pack->archive;
        String name;
        for (std::size_t i = 0; i < archive.GetEntryCount(); ++i) {
            if (archive.GetEntrySize(i) <= 0) continue;
            archive.GetEntryName(i, name);
            String key = MakeRelative(name, root_).path;
            if (!IsSafeKey(key)) continue;
            if (archive.IsFolderEntry(i)) {
                while (!key.IsEmpty() && key[key.Length() - 1] == '/') key.Resize(key.Length() - 1);
                if (!key.IsEmpty()) folders_.insert(key);
                continue;
            }
            // The parent folder and its ancestors, stopping at the first one already known.
            for (String parent = Path::ParentPath(key); !parent.IsEmpty(); parent = Path::ParentPath(parent)) {
                parent.Resize(parent.Length() - 1);
                if (!folders_.insert(parent).second) break;
            }
        }
    }
    foldersBuilt_ = true;
}

void CWinVFS::ListDirectories(StringVector& out, const String& folder) {
    std::lock_guard<std::mutex> guard(lock_);
    out.Clear();
    const String prefix = FolderPrefix(folder);
    if (!IsSafeKey(prefix)) return;
    if (!foldersBuilt_) BuildFolders();
    for (FindFiles find(root_ + prefix + "*"); find.IsValid(); find.Next()) {
        if (find.IsDirectory() && !find.IsHidden()) folders_.insert(prefix + find.Name());
    }
    WalkFolder(folders_, prefix, false, out, [](const String&) { return true; });
}

}  // namespace NVFS
