#include "engine/servers/FetchedFiles.h"

#include "base/io/Path.h"
#include "base/vfs/FileCreator.h"
#include "engine/gamedata/GameNames.h"

namespace {

// The room a file needs: its size and a margin.
constexpr double kSpaceFactor = 1.3;

bool IsDotName(const WideString& name) { return name.Equals(u".") || name.Equals(u".."); }

}  // namespace

WideString ServerFileName(const WideString& name) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < name.Length(); ++i) {
        if (name[i] < 0x20 || name[i] == 0x7F) return WideString();
        if (name[i] == u'/' || name[i] == u'\\') start = i + 1;
    }
    WideString last = name.Substr(start);
    return last.IsEmpty() || IsDotName(last) ? WideString() : last;
}

bool WriteFetchedFile(const WideString& folder, const WideString& relativeName, const ByteVector& bytes) {
    const WideString root = MakeLongPath(folder);
    const WideString target = MakeLongPath(WideString(Path::Join(String(folder), String(relativeName))));
    if (root.IsEmpty() || target.IsEmpty()) return false;
    // Through the file creator, so that the file system looks at the new file again.
    RefPtr<NVFS::CWinFileCreator> creator = NVFS::CWinFileCreator::Create(String(root));
    return creator->WriteWhole(String(target), bytes.Data(), bytes.Size());
}

bool SaveWithSpaceCheck(const ByteVector& bytes, const WideString& folder, const WideString& relativeName,
                        const IDiskSpaceChecker& checker) {
    if (folder.IsEmpty() || relativeName.IsEmpty() || ServerFileName(relativeName).IsEmpty()) return false;
    if (!Game::IsSafeRelativePath(String(relativeName))) return false;
    Path::CreateFolders(String(folder));  // a failure shows in the write below
    if (!checker.HasFreeSpace(static_cast<double>(bytes.Size()) * kSpaceFactor)) return false;
    return WriteFetchedFile(folder, relativeName, bytes);
}
