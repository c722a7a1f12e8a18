#include "workflow/checks/CheckAttributesFunctor.h"

#include "base/runtime/StrUtil.h"

RefPtr<CheckAttributesFunctor> CheckAttributesFunctor::Create(CheckAttributesView* view,
                                                             const CheckAttributesThread::Options& options) {
    AppParams* params = GetAppParams();
    if (!view || !params) return nullptr;
    return RefPtr<CheckAttributesFunctor>(new CheckAttributesFunctor(view, params, options));
}

AttributeCheckFactory CheckAttributesFunctor::DefaultFactory() {
    return [](IMainWindow* window) -> RefPtr<ICheckAttributesFunctor> {
        RefPtr<CheckAttributesView> view(new CheckAttributesView(window));
        return Create(view.Get());
    };
}

CheckAttributesFunctor::CheckAttributesFunctor(CheckAttributesView* view, AppParams* params,
                                               const CheckAttributesThread::Options& options)
    : view_(view), params_(params), options_(options) {}

CheckAttributesFunctor::~CheckAttributesFunctor() {
    // The worker may still write the list and report: it goes before them.
    if (timer_) timer_->Stop();
    timer_ = nullptr;
    worker_ = nullptr;
}

bool CheckAttributesFunctor::Run() {
    view_->OnStartChecking();
    if (worker_ || timer_) return false;
    RefPtr<ITimer> timer = view_->CreateTimer();
    if (!timer) return false;
    timer->OnTick.Connect<&CheckAttributesFunctor::OnTick>(this);
    {
        std::lock_guard<std::mutex> guard(lock_);
        result_ = Result::None;
        changed_ = false;
    }
    // The version object is made and read here, on the UI thread; the worker gets a copy
    // of its names.
    RefPtr<Game::IGameVersion> version = params_->GetGameVersion();
    AttributeWorkList work = AttributeWorkList::FromVersion(version.Get(), StrUtil::ToNarrow(params_->gameRoot).Std());
    RefPtr<CheckAttributesThread> worker =
        CheckAttributesThread::GetOrCreate(std::move(work), this, &failedFolders_, options_);
    if (!worker->Start() || !timer->Start(kTickMs)) {
        timer->Stop();
        return false;
    }
    worker_ = worker;
    timer_ = timer;
    return true;
}

void CheckAttributesFunctor::SetSuccess() {
    std::lock_guard<std::mutex> guard(lock_);
    result_ = Result::Success;
    changed_ = true;
}

void CheckAttributesFunctor::SetFailed(Rip*) {
    std::lock_guard<std::mutex> guard(lock_);
    result_ = Result::Failure;
    changed_ = true;
}

bool CheckAttributesFunctor::OnTick(std::int64_t) {
    Result result;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (!changed_) return true;
        changed_ = false;
        result = result_;
    }
    if (result == Result::None) return true;
    timer_->Stop();
    timer_ = nullptr;
    if (result == Result::Success) {
        view_->OnSuccessChecking();
    } else {
        view_->OnFailedChecking(failedFolders_);
    }
    return true;
}
