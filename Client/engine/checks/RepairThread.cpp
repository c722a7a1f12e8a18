#include "engine/checks/RepairThread.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <system_error>

#include "base/io/Path.h"
#include "base/runtime/StrUtil.h"
#include "engine/checks/DownloadCheck.h"
#include "engine/gamedata/GameNames.h"
#include "platform/posix/FileMove.h"
#include "platform/posix/ParentFolder.h"
#include "platform/posix/TreeDeletion.h"

namespace {

// A read-only file is made writable before it is replaced or moved; a link in its place
// is left as it is, and what it names untouched.
void MakeWritable(const String& path) {
    struct stat info {};
    if (::lstat(path.CStr(), &info) == 0 && S_ISREG(info.st_mode))
        ::fchmodat(AT_FDCWD, path.CStr(), info.st_mode | S_IWUSR, AT_SYMLINK_NOFOLLOW);
}

// The same for the entry name in the open folder.
void MakeWritable(const Posix::ParentFolder& folder) {
    struct stat info {};
    if (::fstatat(folder.Descriptor(), folder.Name().c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode))
        ::fchmodat(folder.Descriptor(), folder.Name().c_str(), info.st_mode | S_IWUSR, AT_SYMLINK_NOFOLLOW);
}

// The downloaded file, in the letter case the torrent gave it when the entry's differs.
// Only the file itself: a link in the download folder could name anything.
bool FindDownloaded(const String& path, String& found, std::uint64_t& size) {
    struct stat info {};
    found = path;
    if (::lstat(found.CStr(), &info) != 0 && !(Path::ResolveCase(path, found) && ::lstat(found.CStr(), &info) == 0))
        return false;
    if (!S_ISREG(info.st_mode)) return false;
    size = static_cast<std::uint64_t>(info.st_size);
    return true;
}

std::uint8_t Percent(std::size_t done, std::size_t total) {
    return static_cast<std::uint8_t>(static_cast<unsigned>(static_cast<double>(done) * 100.0 / static_cast<double>(total)));
}

}  // namespace

String ConfinedEntryPath(const WideString& path) {
    String relative = StrUtil::ToNarrow(path);
    Path::ReplaceChar(relative, '\\', '/');
    if (relative.IsEmpty() || !Game::IsSafeRelativePath(relative)) return String();
    return relative;
}

RepairThread::RepairThread(IRepairer* listener, RipPatch* job, DiskSpaceChecker::FreeBytes free)
    : listener_(listener), job_(job), free_(std::move(free)) {}

RepairThread::~RepairThread() {
    if (thread_.joinable()) {
        gate_.Stop();
        thread_.join();
    }
}

bool RepairThread::Start() {
    if (started_ || !listener_ || !job_ || !job_->GetRip()) return false;
    started_ = true;
    try {
        thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

int RepairThread::PlaceFile(const String& source, const String& target, const std::string& placed,
                            std::uint32_t size) {
    for (;;) {
        if (!WaitWhilePaused()) return kGivenUp;
        MakeWritable(source);
        int error = MoveFileReplacing(source.Std(), placed);
        if (error == 0) return 0;
        for (int i = 0; i < kCopyTries && WaitWhilePaused(); ++i) {
            error = CopyFileReplacing(source.Std(), placed);
            if (error == 0) return 0;
        }
        if (!WaitWhilePaused()) return kGivenUp;
        // Twice the size: the copy and the file it replaces may both be there for a while.
        const RefPtr<DiskSpaceChecker> space = DiskSpaceChecker::Create(WideString(target), free_);
        if (IsNoSpaceError(error) || !space || !space->HasFreeSpace(2.0 * static_cast<double>(size))) return kNoDiskSpace;
        if (!listener_->AskLockedFile(WideString(source), WideString(target))) return kGivenUp;
    }
}

int RepairThread::RepairEntry(RipEntry& entry, const String& gameFolder) {
    const String relative = ConfinedEntryPath(entry.path);
    if (relative.IsEmpty()) return kBadDownload;
    String source;
    if (entry.size != 0) {
        std::uint64_t downloadedSize = 0;
        if (!FindDownloaded(Path::Join(String(job_->Folder()), relative), source, downloadedSize) ||
            downloadedSize != entry.size)
            return kBadDownload;
        // The repair torrent is not signed: what it brought goes in only as the version
        // file lists it. A stop that cut the reading short is no bad download.
        if (!Game::MatchesVersionRecord(source, entry.record.Get(), &gate_))
            return WaitWhilePaused() ? kBadDownload : kGivenUp;
    }
    // The launcher may run as root over a game folder the player writes: a link in the
    // place of one of the target's folders fails the entry instead of being followed.
    const Posix::ParentFolder folder(gameFolder.Std(), relative.Std(), Posix::ParentFolder::Missing::Create);
    if (folder.Error() != 0) return kGivenUp;
    MakeWritable(folder);
    if (entry.size == 0) {
        // Nothing to download: the empty file is made in place. Its check code stays, as
        // the page shows what the check found.
        const int error = WriteEmptyFileReplacing(folder.EntryPath());
        if (error == 0) return 0;
        return IsNoSpaceError(error) ? kNoDiskSpace : kGivenUp;
    }
    const int code = PlaceFile(source, Path::Join(gameFolder, relative), folder.EntryPath(), entry.size);
    if (code == 0) entry.code = 0;
    return code;
}

void RepairThread::Run() {
    Vector<RipEntry>& entries = job_->GetRip()->entries;
    const String gameFolder = StrUtil::ToNarrow(listener_->GetGameFolder());
    const std::size_t count = entries.Size();
    int code = 0;
    std::size_t i = 0;
    while (code == 0 && i < count && WaitWhilePaused()) {
        code = RepairEntry(entries[i], gameFolder);
        listener_->SetProgress(Percent(i, count));
        ++i;
    }
    // A stop before the last entry is no success.
    if (code == 0 && i < count) code = kGivenUp;
    // The folder's name comes with a trailing '/', which would resolve a link in its place.
    if (!job_->Folder().IsEmpty()) Posix::DeleteTree(Posix::CanonicalEntry(StrUtil::ToNarrow(job_->Folder()).Std()));
    if (code != 0) {
        listener_->SetFailed(code);
    } else {
        listener_->SetSuccess();
    }
}
