#pragma once
// The program-to-page half of the bridge: events are calls of the page's
// "MessageProc" with one array [name, arguments...]. Events sent before the document
// exists wait in order and go out, each once, when it does.
#include <memory>
#include <string>

#include "base/runtime/String.h"
#include "base/runtime/Vector.h"

class IPageView;

// The log of the page traffic: command codes, event names and script errors, never
// their texts (a login or password travels as one).
constexpr char16_t kPageLogName[] = u"Launcher.log";

// One line "WHAT DETAIL" in that log.
void LogPageTraffic(const std::string& what, const std::string& detail);

class IHtmlScript {
public:
    virtual ~IHtmlScript() = default;
    virtual bool CallFunction(const WideString& function, const WideStringVector& texts) = 0;
    virtual bool CallFunctionWithArray(const WideString& function, const WideStringVector& texts) = 0;
};

struct ScriptCall {
    WideString name;
    WideStringVector arguments;
};

class CHtmlScript : public IHtmlScript {
public:
    CHtmlScript();
    ~CHtmlScript() override;

    bool SendEvent(const WideString& name);
    // True when the call went out (or was kept for later); a failure inside the page
    // arrives afterwards and is recorded as the last error.
    bool SendEventArgs(const WideString& name, const WideStringVector& arguments);

    bool CallFunctionWithArray(const WideString& function, const WideStringVector& texts) override;
    bool CallFunction(const WideString& function, const WideStringVector& texts) override;

    // Takes the page once its document exists and delivers the kept events.
    bool SetScript(IPageView* page);
    bool HasScript() const { return page_ != nullptr; }

    const WideString& LastError() const { return lastError_; }
    std::size_t QueuedCalls() const { return queue_.Size(); }

private:
    bool Call(const WideString& function, const std::string& jsonArguments);
    void RecordError(const std::string& message);

    IPageView* page_ = nullptr;
    Vector<ScriptCall> queue_;
    WideString lastError_;
    // Completions of calls still travelling check this before touching the bridge.
    std::shared_ptr<CHtmlScript*> self_;
};
