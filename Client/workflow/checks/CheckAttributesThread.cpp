#include "workflow/checks/CheckAttributesThread.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <mutex>
#include <optional>
#include <system_error>
#include <unordered_map>
#include <utility>

#include "base/io/Path.h"
#include "base/runtime/StrUtil.h"
#include "engine/gamedata/GameNames.h"

namespace {

// The components of a relative name; both separators count, empty and "." parts are dropped.
std::vector<std::string> Components(const std::string& relative) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= relative.size(); ++i) {
        if (i < relative.size() && !Path::IsSeparator(relative[i])) continue;
        std::string part = relative.substr(start, i - start);
        if (!part.empty() && part != ".") parts.push_back(std::move(part));
        start = i + 1;
    }
    return parts;
}

// An open folder of the game tree. Entries are opened relative to it and never through a
// symbolic link. A name that differs from the disk only in letter case is found through an
// index of the folder, made on the first miss.
class TreeFolder {
public:
    explicit TreeFolder(int fd = -1) : fd_(fd) {}
    ~TreeFolder() {
        if (fd_ >= 0) ::close(fd_);
    }
    TreeFolder(TreeFolder&& other) noexcept
        : fd_(std::exchange(other.fd_, -1)), index_(std::move(other.index_)) {}
    TreeFolder& operator=(TreeFolder&& other) noexcept {
        if (this != &other) {
            if (fd_ >= 0) ::close(fd_);
            fd_ = std::exchange(other.fd_, -1);
            index_ = std::move(other.index_);
        }
        return *this;
    }

    bool IsOpen() const { return fd_ >= 0; }

    // -1 when the entry is missing, is a symbolic link, or cannot be opened with flags.
    int OpenEntry(const std::string& name, int flags) {
        flags |= O_NOFOLLOW | O_CLOEXEC | O_NOCTTY;
        const int fd = ::openat(fd_, name.c_str(), flags);
        if (fd >= 0 || errno != ENOENT) return fd;
        const std::string* stored = StoredName(name);
        return stored ? ::openat(fd_, stored->c_str(), flags) : -1;
    }

    TreeFolder OpenFolder(const std::string& name) { return TreeFolder(OpenEntry(name, O_RDONLY | O_DIRECTORY)); }
    TreeFolder Duplicate() { return TreeFolder(::openat(fd_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)); }

private:
    const std::string* StoredName(const std::string& name) {
        if (!index_) {
            index_.emplace();
            const int listing = ::openat(fd_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            DIR* dir = listing >= 0 ? ::fdopendir(listing) : nullptr;
            if (!dir && listing >= 0) ::close(listing);
            while (dir) {
                const dirent* entry = ::readdir(dir);
                if (!entry) break;
                index_->emplace(StrUtil::ToLowerAscii(entry->d_name), entry->d_name);
            }
            if (dir) ::closedir(dir);
        }
        const auto found = index_->find(StrUtil::ToLowerAscii(name));
        return found == index_->end() ? nullptr : &found->second;
    }

    int fd_;
    std::optional<std::unordered_map<std::string, std::string>> index_;
};

// The folder at the components below base; closed when some part is missing or a link.
TreeFolder OpenFolderBelow(TreeFolder& base, const std::vector<std::string>& components, std::size_t count) {
    if (count == 0) return base.Duplicate();
    TreeFolder current = base.OpenFolder(components[0]);
    for (std::size_t i = 1; i < count && current.IsOpen(); ++i) current = current.OpenFolder(components[i]);
    return current;
}

bool IsSafeName(const std::string& folder, const std::string& file) {
    return Game::IsSafeRelativePath(Game::RelativeGamePath(String(folder.c_str()), String(file.c_str())));
}

enum class FileOutcome { Writable, Skipped, Refused };

// Files that do not exist, cannot be opened for reading, are links or are not regular
// files are skipped and keep their mode.
FileOutcome MakeOwnerWritable(TreeFolder& folder, const std::string& name, const std::string& folderPath,
                              const AddOwnerWrite& addOwnerWrite) {
    const std::vector<std::string> parts = Components(name);
    if (parts.empty()) return FileOutcome::Skipped;
    TreeFolder nested;
    TreeFolder* parent = &folder;
    if (parts.size() > 1) {
        nested = OpenFolderBelow(folder, parts, parts.size() - 1);
        if (!nested.IsOpen()) return FileOutcome::Skipped;
        parent = &nested;
    }
    const int fd = parent->OpenEntry(parts.back(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) return FileOutcome::Skipped;
    FileOutcome outcome = FileOutcome::Skipped;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        const bool writable = (info.st_mode & S_IWUSR) != 0 || addOwnerWrite(fd, info.st_mode, folderPath + name);
        outcome = writable ? FileOutcome::Writable : FileOutcome::Refused;
    }
    ::close(fd);
    return outcome;
}

WeakPtr<CheckAttributesThread>& Holder() {
    static WeakPtr<CheckAttributesThread> holder;
    return holder;
}

}  // namespace

// What the thread and its owner share. The thread reads the work list and the flag
// freely; the report is guarded by the lock, so that a stop is never raised halfway
// through it.
struct CheckAttributesThread::Job {
    AttributeWorkList work;
    AddOwnerWrite addOwnerWrite;
    std::atomic<bool> stop {false};

    std::mutex lock;
    IChecker* listener = nullptr;
    WideStringVector* failures = nullptr;

    void Report(bool success, const std::vector<std::string>& failed) {
        std::lock_guard<std::mutex> guard(lock);
        if (!stop) {
            if (success) {
                listener->SetSuccess();
            } else {
                failures->Clear();
                for (const std::string& folder : failed) failures->PushBack(StrUtil::ToWide(String(folder.c_str())));
                listener->SetFailed(nullptr);
            }
        }
    }
};

AttributeWorkList AttributeWorkList::FromVersion(const Game::IGameVersion* version, const std::string& root) {
    AttributeWorkList work;
    work.root = root;
    if (!version) return work;
    for (const RefPtr<Game::GameFolder>& folder : version->GetFolders()) {
        Folder copy;
        copy.name = folder->name.Std();
        copy.files.reserve(folder->contents.Size());
        for (const RefPtr<Game::GameFolder::Content>& content : folder->contents) copy.files.push_back(content->name.Std());
        work.folders.push_back(std::move(copy));
    }
    return work;
}

bool AddOwnerWriteBit(int fd, mode_t mode, const std::string&) {
    return ::fchmod(fd, (mode & 07777) | S_IWUSR) == 0;
}

RefPtr<CheckAttributesThread> CheckAttributesThread::GetOrCreate(AttributeWorkList work, IChecker* listener,
                                                                 WideStringVector* failures, const Options& options) {
    if (RefPtr<CheckAttributesThread> live = Holder().Lock()) return live;
    RefPtr<CheckAttributesThread> worker(new CheckAttributesThread(std::move(work), listener, failures, options));
    Holder() = worker.Get();
    return worker;
}

CheckAttributesThread::CheckAttributesThread(AttributeWorkList work, IChecker* listener, WideStringVector* failures,
                                             const Options& options)
    : job_(std::make_shared<Job>()) {
    job_->work = std::move(work);
    job_->addOwnerWrite = options.addOwnerWrite ? options.addOwnerWrite : AddOwnerWrite(&AddOwnerWriteBit);
    job_->listener = listener;
    job_->failures = failures;
}

CheckAttributesThread::~CheckAttributesThread() {
    if (Holder().Peek() == this) Holder().Reset();
    if (!thread_.joinable()) return;
    RequestStop();
    thread_.join();
}

bool CheckAttributesThread::Start() {
    if (thread_.joinable() || !job_->listener || !job_->failures) return false;
    try {
        thread_ = std::thread([job = job_] { Work(job); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void CheckAttributesThread::RequestStop() {
    std::lock_guard<std::mutex> guard(job_->lock);
    job_->stop = true;
}

void CheckAttributesThread::Work(const std::shared_ptr<Job>& job) {
    const AttributeWorkList& work = job->work;
    std::string root = work.root;
    if (!root.empty() && !Path::IsSeparator(root.back())) root.push_back(Path::kDefaultSeparator);
    std::vector<std::string> failed;
    // The root itself is the game tree and may be reached through a link; nothing below it is.
    TreeFolder rootFolder(::open(root.empty() ? "." : root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    int budget = kFolderBudget;
    for (const AttributeWorkList::Folder& folder : work.folders) {
        if (budget <= 0 || job->stop || !rootFolder.IsOpen()) break;
        if (!IsSafeName(folder.name, std::string())) continue;
        const std::vector<std::string> parts = Components(folder.name);
        TreeFolder opened = OpenFolderBelow(rootFolder, parts, parts.size());
        if (!opened.IsOpen()) continue;
        const std::string folderPath = root + folder.name;
        for (const std::string& file : folder.files) {
            if (job->stop) break;
            if (!IsSafeName(folder.name, file)) continue;
            if (MakeOwnerWritable(opened, file, folderPath, job->addOwnerWrite) == FileOutcome::Refused) {
                failed.push_back(folderPath);
                --budget;
                break;
            }
        }
    }
    // No folders at all means no installed version to work from: a failure with no folder named.
    job->Report(!work.folders.empty() && failed.empty(), failed);
}
