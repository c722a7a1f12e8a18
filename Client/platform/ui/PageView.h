#pragma once
// The web view that shows a dialog's page, as the shell sees it. The page runs in
// another process: script calls complete later, through their callback, and
// everything the page does arrives as a listener call on the UI thread.
#include <functional>
#include <string>

enum class ScriptDialogKind { Alert, Confirm, Other };

class IPageViewListener {
public:
    virtual ~IPageViewListener() = default;

    // The main frame finished loading without an error.
    virtual void OnLoadFinished(const std::string& uri) = 0;
    // The main frame could not be loaded.
    virtual void OnLoadFailed(const std::string& uri, const std::string& error) = 0;
    // The page's process ended; the view shows nothing any more.
    virtual void OnWebProcessCrashed() = 0;
    // A navigation (or a new window) the page asks for; true cancels it.
    virtual bool OnNavigationRequest(const std::string& uri) = 0;
    // A text posted to the page's `app` message handler.
    virtual void OnScriptMessage(const std::string& text) = 0;
    // alert() and confirm() of the page; the answer is confirm()'s result. False for
    // Other leaves the dialog to the view's default.
    virtual bool OnScriptDialog(ScriptDialogKind kind, const std::string& message) = 0;
};

class IPageView {
public:
    // ok false with the error text when the function is missing or threw.
    using ScriptCallDone = std::function<void(bool ok, const std::string& error)>;

    virtual ~IPageView() = default;

    // Not owned; null detaches. Set before the first navigation.
    virtual void SetListener(IPageViewListener* listener) = 0;
    virtual void Navigate(const std::string& uri) = 0;
    // Calls the page's global function with the elements of a JSON array as its
    // arguments. Array arguments get the toArray() the pages expect of script arrays.
    // The texts travel as data; nothing is spliced into script. Calls run in order.
    virtual void CallFunction(const std::string& function, const std::string& jsonArguments,
                              ScriptCallDone done) = 0;
};
