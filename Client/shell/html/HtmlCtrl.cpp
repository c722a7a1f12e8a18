#include "shell/html/HtmlCtrl.h"

#include "platform/ui/DialogWindow.h"
#include "shell/html/AppCommand.h"
#include "shell/html/VfsProtocol.h"

CHtmlCtrl::~CHtmlCtrl() {
    if (page_) page_->SetListener(nullptr);
}

bool CHtmlCtrl::Create(IDialogWindow& window, CHtml_Host_Handlers* host, const DragStrip& strip) {
    if (!host) return false;
    host_ = host;
    page_ = &window.Page();
    window.SetDragStrip(strip);
    page_->SetListener(this);
    return true;
}

void CHtmlCtrl::Navigate(const std::string& uri) {
    if (page_) page_->Navigate(uri);
}

bool CHtmlCtrl::OnBeforeNavigate2(const std::string& uri) {
    if (IsAppAddress(uri)) {
        // Navigation addresses arrive %-encoded; posted commands arrive as written.
        ParseAppCommand(DecodePercentEscapes(uri.substr(4)));
        return true;
    }
    std::string target;
    if (FindOpenHref(uri, target)) {
        if (host_) host_->OpenExternal(WideString(String(target.c_str())));
        return true;
    }
    // The window holds the page bridge: it shows the launcher's own pages and nothing
    // else, in no frame.
    return !IsVfsAddress(uri);
}

bool CHtmlCtrl::ParseAppCommand(const WideString& text) {
    int code = 0;
    WideString argument;
    SplitAppCommand(text, code, argument);
    return host_ ? host_->OnAppCommand(code, argument) : true;
}

void CHtmlCtrl::OnScriptMessage(const std::string& text) {
    ParseAppCommand(WideString(String(text.c_str())));
}

void CHtmlCtrl::OnDocumentComplete(const std::string&) {
    // Later completions (a reload, a frame) change nothing.
    if (completed_ || !page_) return;
    completed_ = true;
    SetScript(page_);
    if (host_) host_->OnDocumentComplete();
}

void CHtmlCtrl::OnLoadFailed(const std::string&, const std::string&) {
    if (host_) host_->OnPageFailed();
}

void CHtmlCtrl::OnWebProcessCrashed() {
    if (host_) host_->OnPageFailed();
}

bool CHtmlCtrl::OnScriptDialog(ScriptDialogKind kind, const std::string& message) {
    if (!host_ || kind == ScriptDialogKind::Other) return false;
    const MessageBoxButtons buttons = kind == ScriptDialogKind::Confirm ? MessageBoxButtons::OkCancel : MessageBoxButtons::Ok;
    return host_->ShowMessage(WideString(String(message.c_str())), buttons);
}
