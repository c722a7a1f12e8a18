#pragma once
// Runs the full check: the worker checks every installed file on its own thread and
// reports here under the lock; a 500 ms window timer turns the last report into page
// events on the UI thread, so several reports between two ticks reach the page as one.
#include <cstdint>
#include <mutex>

#include "engine/checks/FullCheckThread.h"
#include "shell/AppParams.h"
#include "workflow/repair/FullCheckView.h"
#include "workflow/repair/IFullCheckFunctor.h"

class FullCheckFunctor final : public IFullCheckFunctor, private IChecker {
public:
    static constexpr int kTickMs = 500;

    // Null without a view. Without a readable version file, tells the view
    // (OnFailGameVersion) and answers null.
    static RefPtr<FullCheckFunctor> Create(FullCheckView* view, AppParams* params);

    bool Run() override;
    RefPtr<Rip> GetResult() override;

private:
    enum class Result { Running, AllValid, Damaged };

    FullCheckFunctor(FullCheckView* view, Game::IGameVersion* version, const WideString& gameFolder);
    ~FullCheckFunctor() override;

    // IChecker, on the worker's thread.
    void SetProgress(std::uint8_t percent) override;
    void SetSuccess() override;
    void SetFailed(Rip* rip) override;

    bool OnTick(std::int64_t elapsed);

    RefPtr<FullCheckView> view_;
    RefPtr<Game::IGameVersion> version_;
    WideString gameFolder_;
    RefPtr<FullCheckThread> worker_;
    RefPtr<ITimer> timer_;

    std::mutex lock_;  // guards the four below
    bool changed_ = false;
    Result result_ = Result::Running;
    std::uint8_t percent_ = 0;
    RefPtr<Rip> rip_;
};
