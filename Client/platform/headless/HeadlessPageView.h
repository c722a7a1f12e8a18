#pragma once
// The page view without a display. Work is queued and run one item per turn of the
// default main context, in order, as the web process would deliver it: commands the
// page posts while handling a call reach the program before that call completes.
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include <glib.h>

#include "platform/headless/FakePage.h"
#include "platform/ui/PageView.h"
#include "platform/ui/UriSchemeHandler.h"

using UriSchemeMap = std::map<std::string, std::shared_ptr<IUriSchemeHandler>>;

class HeadlessPageView final : public IPageView {
public:
    HeadlessPageView(std::shared_ptr<const UriSchemeMap> schemes, std::shared_ptr<IFakePage> page);
    ~HeadlessPageView() override;

    void SetListener(IPageViewListener* listener) override { listener_ = listener; }
    void Navigate(const std::string& uri) override;
    void CallFunction(const std::string& function, const std::string& jsonArguments, ScriptCallDone done) override;

    // What the fake page can do.
    void PostMessage(const std::string& text);         // window.webkit.messageHandlers.app.postMessage
    void NavigateFromPage(const std::string& uri);     // location.href = uri
    void ShowScriptDialog(ScriptDialogKind kind, const std::string& message, bool* answer = nullptr);
    void Later(std::function<void()> work);            // a later turn of the page's own loop
    void SimulateCrash();

    const std::string& CurrentUri() const { return currentUri_; }
    bool HasPendingWork() const { return !work_.empty(); }

private:
    void Load(const std::string& uri);
    void Enqueue(std::function<void()> work);
    static gboolean RunOne(gpointer self);

    std::shared_ptr<const UriSchemeMap> schemes_;
    std::shared_ptr<IFakePage> page_;
    IPageViewListener* listener_ = nullptr;
    std::deque<std::function<void()>> work_;
    guint idleSource_ = 0;
    std::string currentUri_;
    bool crashed_ = false;
};
