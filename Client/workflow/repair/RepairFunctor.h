#pragma once
// Runs the repair: the worker puts the downloaded files in place on its own thread and
// reports here under the lock; a 500 ms window timer turns the last report into page
// events on the UI thread. The worker's question about a locked file waits, on the
// worker's thread, for the page's 800 or 8000; the question is answered "give up" once
// the functor is going, even when it is asked after that, so that the worker always ends.
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "engine/checks/RepairThread.h"
#include "shell/AppParams.h"
#include "workflow/repair/IRepairFunctor.h"
#include "workflow/repair/RepairView.h"

class RepairFunctor final : public IRepairFunctor, private IRepairer {
public:
    static constexpr int kTickMs = 500;

    // Null without a view, the run's parameters or a job. free measures the game's file
    // system when a file cannot be placed.
    static RefPtr<RepairFunctor> Create(RepairView* view, AppParams* params, RipPatch* job,
                                        DiskSpaceChecker::FreeBytes free = DiskSpaceChecker::MeasureFreeBytes);

    bool Run() override;
    void Abort() override { Answer(false); }
    void Retry() override { Answer(true); }

    // The page's code of a failure from the worker's code.
    static int PageCode(int workerCode);

private:
    enum class Phase { Running, Asking, Succeeded, Failed };

    RepairFunctor(RepairView* view, const WideString& gameFolder, RipPatch* job, DiskSpaceChecker::FreeBytes free);
    ~RepairFunctor() override;

    // IRepairer, on the worker's thread.
    WideString GetGameFolder() override { return gameFolder_; }
    void SetProgress(std::uint8_t percent) override;
    void SetSuccess() override;
    void SetFailed(int code) override;
    bool AskLockedFile(const WideString& source, const WideString& target) override;

    void Answer(bool retry);
    bool OnTick(std::int64_t elapsed);

    RefPtr<RepairView> view_;
    const WideString gameFolder_;
    RefPtr<RipPatch> job_;
    DiskSpaceChecker::FreeBytes free_;
    RefPtr<ITimer> timer_;
    RefPtr<RepairThread> worker_;

    std::mutex lock_;  // guards everything below
    std::condition_variable answered_;
    bool changed_ = false;
    Phase phase_ = Phase::Running;
    std::uint8_t percent_ = 0;
    int failureCode_ = 0;
    WideString questionSource_;
    WideString questionTarget_;
    bool questionPending_ = false;
    bool answerGiven_ = false;
    bool answer_ = false;
    bool stopping_ = false;
};
