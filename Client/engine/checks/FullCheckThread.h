#pragma once
// Checks every file of the installed game against its version object on a thread of
// its own, reporting progress and the damaged files to an IChecker. The thread stops
// cooperatively: the destructor sets a stop flag, which the worker checks before every
// file and between read chunks, and joins it.
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "base/runtime/RefCounter.h"
#include "base/runtime/String.h"
#include "engine/checks/IChecker.h"
#include "engine/checks/LoadedModules.h"
#include "engine/gamedata/IGameVersion.h"

class FullCheckThread final : public RefCounter {
public:
    // minimalSetOnly: check only the contents of the minimal set (progressive download
    // with the minimum check); the others are skipped but still count for progress.
    FullCheckThread(Game::IGameVersion* version, IChecker* listener, bool minimalSetOnly = false);

    // Starts the worker once; false when it already started or the thread cannot be made.
    bool Start(const WideString& gameFolder);
    void SetPaused(bool paused);

    // Worker side, public for tests of the pieces.
    bool WaitWhilePaused();
    void ListLoadedModules();
    bool IsLoadedModule(const String& relativePath) const { return modules_.Contains(relativePath); }

private:
    ~FullCheckThread() override;
    void Run();

    RefPtr<Game::IGameVersion> version_;
    IChecker* listener_;
    bool minimalSetOnly_;
    Game::LoadedModules modules_;
    WideString gameFolder_;
    std::thread thread_;
    bool started_ = false;

    std::mutex gateLock_;
    std::condition_variable gate_;
    bool paused_ = false;
    std::atomic<bool> stop_ {false};
};
