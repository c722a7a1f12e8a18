#pragma once
// Checks every file of the installed game against its version object, reporting
// progress and the damaged files to an IChecker from a thread of its own. The files are
// hashed on a pool of threads, and the reports come in list order, exactly as from one
// thread checking file after file. The threads stop cooperatively: the destructor stops
// the gate, which they pass before every file and between read chunks, and joins them.
#include <thread>

#include "base/runtime/RefCounter.h"
#include "base/runtime/String.h"
#include "engine/checks/IChecker.h"
#include "engine/checks/LoadedModules.h"
#include "engine/gamedata/CheckGate.h"
#include "engine/gamedata/IGameVersion.h"

class Rip;

class FullCheckThread final : public RefCounter {
public:
    // minimalSetOnly: check only the contents of the minimal set (progressive download
    // with the minimum check); the others are skipped but still count for progress.
    // threads: how many hash at once (0: one per processor; 1: the reporting thread alone).
    FullCheckThread(Game::IGameVersion* version, IChecker* listener, bool minimalSetOnly = false,
                    unsigned threads = 0);

    // Starts the worker once; false when it already started or the thread cannot be made.
    bool Start(const WideString& gameFolder);
    // Holds every thread within one read chunk; false lets them go on.
    void SetPaused(bool paused);

    // Worker side, public for tests of the pieces.
    bool WaitWhilePaused();
    void ListLoadedModules();
    bool IsLoadedModule(const String& relativePath) const { return modules_.Contains(relativePath); }

private:
    ~FullCheckThread() override;
    void Run();
    // Checks the files into rip, reporting progress; stops early when the gate stops.
    void CheckFiles(Rip& rip);
    bool IsChecked(const Game::GameFolder::Content& content) const;

    RefPtr<Game::IGameVersion> version_;
    IChecker* listener_;
    bool minimalSetOnly_;
    unsigned threads_;
    Game::LoadedModules modules_;
    WideString gameFolder_;
    std::thread thread_;
    bool started_ = false;
    Game::CheckGate gate_;
};
