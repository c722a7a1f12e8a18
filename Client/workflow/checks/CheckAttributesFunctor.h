#pragma once
// Runs the attribute check: the worker gives the listed game files their write bit on
// its own thread and reports here under the lock; a 1000 ms window timer turns the
// report into the page event on the UI thread.
#include <mutex>

#include "shell/AppParams.h"
#include "workflow/checks/CheckAttributesThread.h"
#include "workflow/checks/CheckAttributesView.h"
#include "workflow/checks/ICheckAttributesFunctor.h"

class CheckAttributesFunctor final : public ICheckAttributesFunctor, private IChecker {
public:
    static constexpr int kTickMs = 1000;

    // Null without a view or without the run's parameters.
    static RefPtr<CheckAttributesFunctor> Create(CheckAttributesView* view,
                                                 const CheckAttributesThread::Options& options = {});
    // The real check: its view on the window, the run's parameters.
    static AttributeCheckFactory DefaultFactory();

    bool Run() override;

private:
    enum class Result { None, Success, Failure };

    CheckAttributesFunctor(CheckAttributesView* view, AppParams* params, const CheckAttributesThread::Options& options);
    ~CheckAttributesFunctor() override;

    // IChecker, on the worker's thread.
    void SetProgress(std::uint8_t) override {}
    void SetSuccess() override;
    void SetFailed(Rip*) override;

    bool OnTick(std::int64_t elapsed);

    RefPtr<CheckAttributesView> view_;
    RefPtr<AppParams> params_;
    CheckAttributesThread::Options options_;
    RefPtr<CheckAttributesThread> worker_;
    RefPtr<ITimer> timer_;

    std::mutex lock_;  // guards the two below
    bool changed_ = false;
    Result result_ = Result::None;
    // Written by the worker before it reports; read here only after the report was seen.
    WideStringVector failedFolders_;
};
