#include "platform/headless/HeadlessPageView.h"

#include <utility>

HeadlessPageView::HeadlessPageView(std::shared_ptr<const UriSchemeMap> schemes, std::shared_ptr<IFakePage> page)
    : schemes_(std::move(schemes)), page_(std::move(page)) {}

HeadlessPageView::~HeadlessPageView() {
    if (idleSource_) g_source_remove(idleSource_);
}

void HeadlessPageView::Enqueue(std::function<void()> work) {
    work_.push_back(std::move(work));
    if (!idleSource_) idleSource_ = g_idle_add(&HeadlessPageView::RunOne, this);
}

gboolean HeadlessPageView::RunOne(gpointer data) {
    auto* self = static_cast<HeadlessPageView*>(data);
    std::function<void()> work = std::move(self->work_.front());
    self->work_.pop_front();
    if (self->work_.empty()) self->idleSource_ = 0;
    const bool more = self->idleSource_ != 0;
    // The work may destroy the view (a listener ends and frees the dialog).
    work();
    return more ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
}

void HeadlessPageView::Navigate(const std::string& uri) {
    Enqueue([this, uri] {
        if (listener_ && listener_->OnNavigationRequest(uri)) return;
        Load(uri);
    });
}

void HeadlessPageView::Load(const std::string& uri) {
    crashed_ = false;
    UriSchemeResponse response;
    const std::size_t colon = uri.find(':');
    if (colon != std::string::npos && schemes_) {
        auto handler = schemes_->find(uri.substr(0, colon));
        if (handler != schemes_->end()) response = handler->second->Handle(uri);
        else response.error = "unsupported scheme";
    } else {
        response.error = "not an address";
    }
    if (!response.found) {
        if (listener_) listener_->OnLoadFailed(uri, response.error);
        return;
    }
    currentUri_ = uri;
    if (page_) page_->OnLoaded(*this, uri, response.body ? *response.body : std::string());
    Enqueue([this, uri] {
        if (listener_ && !crashed_) listener_->OnLoadFinished(uri);
    });
}

void HeadlessPageView::CallFunction(const std::string& function, const std::string& jsonArguments,
                                    ScriptCallDone done) {
    Enqueue([this, function, jsonArguments, done = std::move(done)] {
        std::string error = "no page";
        const bool ok = !crashed_ && page_ && page_->OnCall(*this, function, jsonArguments, error);
        // The answer travels behind whatever the page posted during the call.
        Enqueue([done, ok, error] {
            if (done) done(ok, ok ? std::string() : error);
        });
    });
}

void HeadlessPageView::PostMessage(const std::string& text) {
    Enqueue([this, text] {
        if (listener_) listener_->OnScriptMessage(text);
    });
}

void HeadlessPageView::NavigateFromPage(const std::string& uri) { Navigate(uri); }

void HeadlessPageView::ShowScriptDialog(ScriptDialogKind kind, const std::string& message, bool* answer) {
    const bool result = listener_ && listener_->OnScriptDialog(kind, message);
    if (answer) *answer = result;
}

void HeadlessPageView::Later(std::function<void()> work) { Enqueue(std::move(work)); }

void HeadlessPageView::SimulateCrash() {
    Enqueue([this] {
        crashed_ = true;
        if (listener_) listener_->OnWebProcessCrashed();
    });
}
