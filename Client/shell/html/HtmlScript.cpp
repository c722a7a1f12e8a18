#include "shell/html/HtmlScript.h"

#include <ostream>

#include "base/runtime/Log.h"

#include "platform/ui/PageView.h"
#include "shell/html/ScriptJson.h"

namespace {
const WideString kMessageProc(u"MessageProc");
}

CHtmlScript::CHtmlScript() : self_(std::make_shared<CHtmlScript*>(this)) {}

CHtmlScript::~CHtmlScript() { *self_ = nullptr; }

bool CHtmlScript::SendEvent(const WideString& name) { return SendEventArgs(name, WideStringVector()); }

bool CHtmlScript::SendEventArgs(const WideString& name, const WideStringVector& arguments) {
    if (!page_) {
        queue_.PushBack(ScriptCall{name, arguments});
        return true;
    }
    WideStringVector texts;
    texts.PushBack(name);
    for (const WideString& argument : arguments) texts.PushBack(argument);
    return CallFunctionWithArray(kMessageProc, texts);
}

bool CHtmlScript::CallFunctionWithArray(const WideString& function, const WideStringVector& texts) {
    return Call(function, "[" + EncodeJsonStringArray(texts) + "]");
}

bool CHtmlScript::CallFunction(const WideString& function, const WideStringVector& texts) {
    return Call(function, EncodeJsonStringArray(texts));
}

bool CHtmlScript::Call(const WideString& function, const std::string& jsonArguments) {
    if (!page_) {
        RecordError("no document");
        return false;
    }
    std::weak_ptr<CHtmlScript*> bridge = self_;
    page_->CallFunction(String(function).Std(), jsonArguments, [bridge](bool ok, const std::string& error) {
        const std::shared_ptr<CHtmlScript*> alive = bridge.lock();
        if (!ok && alive && *alive) (*alive)->RecordError(error);
    });
    return true;
}

void LogPageTraffic(const std::string& what, const std::string& detail) {
    if (std::ostream* log = GetLog(WideString(kPageLogName))) *log << what << ' ' << detail << std::endl;
}

void CHtmlScript::RecordError(const std::string& message) {
    lastError_ = WideString(u"Applicaion script error:\n") + WideString(String(message.c_str()));
    LogPageTraffic("page script error:", message);
}

bool CHtmlScript::SetScript(IPageView* page) {
    if (!page) return false;
    page_ = page;
    // Taken out first: a delivery may queue nothing now, but must not see a half-sent queue.
    Vector<ScriptCall> kept;
    kept.Swap(queue_);
    for (const ScriptCall& call : kept) SendEventArgs(call.name, call.arguments);
    return true;
}
