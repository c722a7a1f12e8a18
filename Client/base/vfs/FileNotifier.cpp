#include "base/vfs/FileNotifier.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>

#include "base/io/FindFiles.h"
#include "base/io/Path.h"

namespace NVFS {

namespace {
constexpr std::uint32_t kEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB | IN_MODIFY |
                                  IN_CLOSE_WRITE | IN_DELETE_SELF;
}

FileNotifier::FileNotifier(const String& folder) : folder_(folder) {
    if (!Path::DirectoryExists(folder)) return;
    inotify_ = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    stop_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (inotify_ < 0 || stop_ < 0) return;
    Watch("");
    if (watches_.empty()) return;
    thread_ = std::thread([this] { Run(); });
}

FileNotifier::~FileNotifier() {
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        while (::write(stop_, &one, sizeof one) < 0 && errno == EINTR) {}
        thread_.join();
    }
    if (inotify_ >= 0) ::close(inotify_);
    if (stop_ >= 0) ::close(stop_);
}

// Adds a watch for the folder and, since early events inside a new folder can be
// missed, for every sub-folder already in it.
void FileNotifier::Watch(const String& relative) {
    String full(folder_);
    Path::EnsureTrailingSeparator(full, '/');
    full.Append(relative);
    const int wd = ::inotify_add_watch(inotify_, full.CStr(), kEvents | IN_ONLYDIR);
    if (wd < 0) return;
    watches_[wd] = relative;
    for (FindFiles find(full + "*"); find.IsValid(); find.Next()) {
        if (find.IsDirectory()) Watch(relative + find.Name() + "/");
    }
}

void FileNotifier::Run() {
    alignas(inotify_event) char buffer[32768];
    pollfd fds[2] = {{stop_, POLLIN, 0}, {inotify_, POLLIN, 0}};
    for (;;) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[0].revents) return;
        const ssize_t length = ::read(inotify_, buffer, sizeof buffer);
        if (length <= 0) continue;
        HandleBatch(buffer, static_cast<std::size_t>(length));
    }
}

void FileNotifier::HandleBatch(const char* events, std::size_t length) {
    StringVector batch;
    bool overflow = false;
    for (std::size_t at = 0; at + sizeof(inotify_event) <= length;) {
        const auto* event = reinterpret_cast<const inotify_event*>(events + at);
        at += sizeof(inotify_event) + event->len;
        if (event->mask & IN_Q_OVERFLOW) overflow = true;
        if (event->mask & IN_IGNORED) watches_.erase(event->wd);
        const auto folder = watches_.find(event->wd);
        if (folder == watches_.end() || event->len == 0 || at > length) continue;
        const String name = folder->second + event->name;
        if ((event->mask & IN_ISDIR) && (event->mask & (IN_CREATE | IN_MOVED_TO))) Watch(name + "/");
        bool seen = false;
        for (const String& known : batch) seen = seen || known.Equals(name);
        if (!seen) batch.PushBack(name);
    }
    if (batch.Empty() && !overflow) return;
    std::lock_guard<std::mutex> guard(lock_);
    names_ = std::move(batch);
    changed_ = true;
}

bool FileNotifier::FetchChanges(StringVector& out) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!changed_.exchange(false)) return false;
    for (const String& name : names_) out.PushBack(Path::Concat('/', name));
    return true;
}

}  // namespace NVFS
