#pragma once
// The browser view inside a page dialog: it takes the page's commands from both
// channels (the `app` message handler and "app:" navigations), opens "OPEN_HREF:"
// links through the host, refuses every other navigation away from the vfs: pages (in
// any frame), and tells the host once when the document is complete.
#include <string>

#include "platform/ui/DragStrip.h"
#include "platform/ui/PageView.h"
#include "shell/html/HtmlHostHandlers.h"
#include "shell/html/HtmlScript.h"

class IDialogWindow;

class CHtmlCtrl final : public CHtmlScript, private IPageViewListener {
public:
    CHtmlCtrl() = default;
    ~CHtmlCtrl() override;
    CHtmlCtrl(const CHtmlCtrl&) = delete;
    CHtmlCtrl& operator=(const CHtmlCtrl&) = delete;

    // Attaches to the window's page view; the window and the host outlive the view.
    bool Create(IDialogWindow& window, CHtml_Host_Handlers* host, const DragStrip& strip);
    void Navigate(const std::string& uri);

    // True when the navigation is cancelled (a command, an external link, or an address
    // that is not vfs:).
    bool OnBeforeNavigate2(const std::string& uri);
    // The text after "app:", decoded; returns the host's answer.
    bool ParseAppCommand(const WideString& text);
    void OnDocumentComplete(const std::string& uri);

private:
    void OnLoadFinished(const std::string& uri) override { OnDocumentComplete(uri); }
    void OnLoadFailed(const std::string& uri, const std::string& error) override;
    void OnWebProcessCrashed() override;
    bool OnNavigationRequest(const std::string& uri) override { return OnBeforeNavigate2(uri); }
    void OnScriptMessage(const std::string& text) override;
    bool OnScriptDialog(ScriptDialogKind kind, const std::string& message) override;

    IPageView* page_ = nullptr;
    CHtml_Host_Handlers* host_ = nullptr;
    bool completed_ = false;
};
