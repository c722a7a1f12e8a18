#pragma once
// Watches a folder tree (inotify, one watch per folder, added as folders appear) on a
// thread of its own and collects the names changed in the latest batch of events.
// The destructor wakes the thread through its own eventfd and joins it.
#include <atomic>
#include <map>
#include <mutex>
#include <thread>

#include "base/vfs/IVFS.h"

namespace NVFS {

class FileNotifier : public IFileNotifier {
public:
    explicit FileNotifier(const String& folder);

    bool FetchChanges(StringVector& out) override;
    bool TestAndClear() override { return changed_.exchange(false); }
    String GetFolder() const override { return folder_; }
    bool IsWatching() const { return thread_.joinable(); }

protected:
    ~FileNotifier() override;

private:
    void Run();
    void Watch(const String& relative);
    void HandleBatch(const char* events, std::size_t length);

    String folder_;
    int inotify_ = -1;
    int stop_ = -1;
    std::map<int, String> watches_;  // watch descriptor -> folder relative to the root ("" or "sub/")
    std::mutex lock_;
    StringVector names_;             // the latest batch, each name once
    std::atomic<bool> changed_{false};
    std::thread thread_;
};

}  // namespace NVFS
