#include "workflow/repair/FullCheckFunctor.h"

#include "workflow/WorkflowValues.h"

RefPtr<FullCheckFunctor> FullCheckFunctor::Create(FullCheckView* view, AppParams* params) {
    if (!view) return nullptr;
    RefPtr<Game::IGameVersion> version = params ? params->GetGameVersion() : nullptr;
    if (!version) {
        view->OnFailGameVersion();
        return nullptr;
    }
    return RefPtr<FullCheckFunctor>(new FullCheckFunctor(view, version.Get(), params->gameRoot));
}

FullCheckFunctor::FullCheckFunctor(FullCheckView* view, Game::IGameVersion* version, const WideString& gameFolder)
    : view_(view), version_(version), gameFolder_(gameFolder) {}

FullCheckFunctor::~FullCheckFunctor() {
    // The worker may report while it stops, so it goes before the lock and the result.
    if (worker_) {
        worker_->SetPaused(true);
        worker_ = nullptr;
    }
    if (timer_) timer_->Stop();
}

bool FullCheckFunctor::Run() {
    view_->OnStart();
    if (worker_ || timer_) return false;
    RefPtr<ITimer> timer = view_->CreateTimer();
    if (!timer) return false;
    timer->OnTick.Connect<&FullCheckFunctor::OnTick>(this);
    {
        std::lock_guard<std::mutex> guard(lock_);
        result_ = Result::Running;
        changed_ = false;
        percent_ = 0;
    }
    // Progressive installations may check only the files the game needs to start.
    const bool minimalSetOnly = Workflow::ProgressiveDownload() && Workflow::MinimumCheck();
    RefPtr<FullCheckThread> worker(new FullCheckThread(version_.Get(), this, minimalSetOnly));
    if (!worker->Start(gameFolder_) || !timer->Start(kTickMs)) {
        timer->Stop();
        return false;
    }
    worker_ = worker;
    timer_ = timer;
    return true;
}

RefPtr<Rip> FullCheckFunctor::GetResult() {
    // The page may ask for the repair while the check still runs: then there is none.
    std::lock_guard<std::mutex> guard(lock_);
    if (result_ == Result::Running || !rip_ || rip_->systemFile) return nullptr;
    return rip_;
}

void FullCheckFunctor::SetProgress(std::uint8_t percent) {
    std::lock_guard<std::mutex> guard(lock_);
    percent_ = percent;
    changed_ = true;
}

void FullCheckFunctor::SetSuccess() {
    std::lock_guard<std::mutex> guard(lock_);
    result_ = Result::AllValid;
    changed_ = true;
}

void FullCheckFunctor::SetFailed(Rip* rip) {
    std::lock_guard<std::mutex> guard(lock_);
    rip_ = rip;
    result_ = Result::Damaged;
    changed_ = true;
}

bool FullCheckFunctor::OnTick(std::int64_t) {
    Result result;
    std::uint8_t percent;
    RefPtr<Rip> rip;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (!changed_) return true;
        changed_ = false;
        result = result_;
        percent = percent_;
        rip = rip_;
    }
    view_->OnProgress(percent);
    if (result == Result::Running) return true;
    timer_->Stop();
    timer_ = nullptr;
    if (result == Result::AllValid) {
        view_->OnSuccess();
    } else if (rip->systemFile) {
        view_->OnSystemCrash(*rip);
    } else {
        view_->OnComplete(*rip);
    }
    return true;
}
