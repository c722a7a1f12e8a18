#include "workflow/repair/RepairFunctor.h"

#include <filesystem>
#include <system_error>

#include "base/io/Path.h"
#include "base/runtime/StrUtil.h"
#include "workflow/WorkflowValues.h"

namespace {

// Stale after a full repair in the progressive edition: the hub rebuilds them.
void RemoveHubCaches(const WideString& gameFolder) {
    std::error_code error;
    std::filesystem::remove(Path::Join(StrUtil::ToNarrow(gameFolder), String("data/Packs/main.xml")).Std(), error);
    std::filesystem::remove("VantryLight/VantryHub.ini", error);
}

}  // namespace

RefPtr<RepairFunctor> RepairFunctor::Create(RepairView* view, AppParams* params, RipPatch* job,
                                            DiskSpaceChecker::FreeBytes free) {
    if (!view || !params || !job || !job->GetRip()) return nullptr;
    return RefPtr<RepairFunctor>(new RepairFunctor(view, params->gameRoot, job, std::move(free)));
}

RepairFunctor::RepairFunctor(RepairView* view, const WideString& gameFolder, RipPatch* job,
                             DiskSpaceChecker::FreeBytes free)
    : view_(view), gameFolder_(gameFolder), job_(job), free_(std::move(free)) {}

RepairFunctor::~RepairFunctor() {
    // A question asked before or after this point is answered "give up"; then the
    // worker stops at its next gate and is joined, still reporting under the lock.
    {
        std::lock_guard<std::mutex> guard(lock_);
        stopping_ = true;
    }
    answered_.notify_all();
    if (worker_) {
        worker_->SetPaused(true);
        worker_ = nullptr;
    }
    if (timer_) timer_->Stop();
}

int RepairFunctor::PageCode(int workerCode) {
    switch (workerCode) {
    case RepairThread::kNoDiskSpace:
        return 1;
    case RepairThread::kGivenUp:
        return 2;
    default:
        return 0;
    }
}

bool RepairFunctor::Run() {
    if (worker_ || timer_) return false;
    RefPtr<ITimer> timer = view_->CreateTimer();
    if (!timer) return false;
    worker_ = new RepairThread(this, job_.Get(), free_);
    const bool started = worker_->Start();
    if (!started) {
        // The page hears of it on the first tick instead of waiting for ever.
        std::lock_guard<std::mutex> guard(lock_);
        phase_ = Phase::Failed;
        failureCode_ = 0;
        changed_ = true;
    }
    timer_ = timer;
    timer->OnTick.Connect<&RepairFunctor::OnTick>(this);
    timer->Start(kTickMs);
    view_->OnApply();
    return started;
}

void RepairFunctor::SetProgress(std::uint8_t percent) {
    std::lock_guard<std::mutex> guard(lock_);
    percent_ = percent;
    changed_ = true;
}

void RepairFunctor::SetSuccess() {
    std::lock_guard<std::mutex> guard(lock_);
    phase_ = Phase::Succeeded;
    changed_ = true;
    if (Workflow::ProgressiveDownload() && !Workflow::MinimumCheck()) RemoveHubCaches(gameFolder_);
}

void RepairFunctor::SetFailed(int code) {
    std::lock_guard<std::mutex> guard(lock_);
    phase_ = Phase::Failed;
    failureCode_ = code;
    changed_ = true;
}

bool RepairFunctor::AskLockedFile(const WideString& source, const WideString& target) {
    std::unique_lock<std::mutex> guard(lock_);
    if (stopping_ || questionPending_) return false;
    questionPending_ = true;
    answerGiven_ = false;
    phase_ = Phase::Asking;
    questionSource_ = source;
    questionTarget_ = target;
    changed_ = true;
    answered_.wait(guard, [this] { return answerGiven_ || stopping_; });
    const bool retry = answerGiven_ && answer_ && !stopping_;
    questionPending_ = false;
    answerGiven_ = false;
    phase_ = Phase::Running;
    return retry;
}

void RepairFunctor::Answer(bool retry) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (!questionPending_ || answerGiven_) return;
        answer_ = retry;
        answerGiven_ = true;
    }
    answered_.notify_all();
}

bool RepairFunctor::OnTick(std::int64_t) {
    Phase phase;
    std::uint8_t percent;
    int failureCode;
    WideString source, target;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (!changed_) return true;
        changed_ = false;
        phase = phase_;
        percent = percent_;
        failureCode = failureCode_;
        source = questionSource_;
        target = questionTarget_;
    }
    if (phase == Phase::Asking) {
        if (!source.IsEmpty() && !target.IsEmpty()) view_->OnLockedFile(source, target);
        return true;
    }
    view_->OnProgress(percent);
    if (phase == Phase::Running) return true;
    timer_->Stop();
    timer_ = nullptr;
    // The worker has ended: the entries' codes are final.
    const Rip& rip = *job_->GetRip();
    if (phase == Phase::Succeeded) {
        view_->OnSuccess(rip);
    } else {
        view_->OnFail(rip, PageCode(failureCode));
    }
    return true;
}
