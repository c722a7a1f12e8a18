#include "shell/html/HtmlDialog.h"

#include <utility>

#include "platform/settings/UserKeyFile.h"
#include "shell/html/AppCommand.h"

CHtmlDialog::CHtmlDialog(IUiToolkit& toolkit, TimerHost* timers, std::string startUrl, std::string registryKey)
    : toolkit_(toolkit),
      timers_(timers),
      window_(toolkit.CreateDialogWindow()),
      startUrl_(std::move(startUrl)),
      registryKey_(std::move(registryKey)) {
    window_->SetListener(this);
}

CHtmlDialog::~CHtmlDialog() {
    if (wait_) wait_->Cancel();
    wait_.Reset();
    window_->SetListener(nullptr);
    SavePosition();
}

int CHtmlDialog::DoModal() {
    if (!OnInitDialog()) return -1;
    return window_->RunModal();
}

void CHtmlDialog::EndDialog(int code) {
    if (wait_) wait_->Cancel();
    window_->EndDialog(code);
}

bool CHtmlDialog::InitHtmlDialog(const DragStrip& strip) {
    if (!strip.IsEmpty()) window_->SetBorderless(true);
    RestorePosition();
    if (!view_.Create(*window_, this, strip)) return false;
    view_.Navigate(startUrl_);
    return true;
}

void CHtmlDialog::SetClientSize(int width, int height) {
    if (width > 0 && height > 0) window_->SetClientSize(width, height);
}

void CHtmlDialog::SetTitle(const WideString& title) { window_->SetTitle(String(title).CStr()); }

bool CHtmlDialog::ShowMessage(const WideString& text, MessageBoxButtons buttons) {
    const MessageBoxIcon icon = buttons == MessageBoxButtons::Ok ? MessageBoxIcon::Info : MessageBoxIcon::Question;
    const MessageBoxResult answer = toolkit_.Messages().Show(String(text).Std(), "Caption", buttons, icon);
    return answer == MessageBoxResult::Ok || answer == MessageBoxResult::Yes;
}

bool CHtmlDialog::OpenExternal(const WideString& url) {
    const std::string address = String(url).Std();
    if (IsSafeExternalAddress(address)) toolkit_.OpenUri(address);
    return false;
}

void CHtmlDialog::BeginHandshake() {
    if (!wait_) wait_ = HandshakeWait::Create(timers_, [this] {
        if (!ready_) OnHandshakeMissing();
    });
    // Armed before the event goes out: the answer may come before the call returns.
    const bool waiting = wait_->Start(kReadyWaitMs);
    view_.SendEvent(WideString(u"AppReady"));
    // Without a timer nothing would ever end an unanswered dialog.
    if (!waiting && !ready_) OnHandshakeMissing();
}

void CHtmlDialog::AnswerHandshake() {
    ready_ = true;
    if (wait_) wait_->Cancel();
}

void CHtmlDialog::OnMoved(int x, int y) {
    if (!tracksMoves_) return;
    lastX_ = x;
    lastY_ = y;
}

void CHtmlDialog::RestorePosition() {
    if (registryKey_.empty()) return;
    int x = -1, y = -1;
    if (!ReadUserKeyFileInt(registryKey_, "hPos", x)) x = -1;
    if (!ReadUserKeyFileInt(registryKey_, "vPos", y)) y = -1;
    if (x >= 0 && y >= 0 && window_->IsOnSomeMonitor(x, y)) window_->Move(x, y);
}

void CHtmlDialog::SavePosition() {
    if (registryKey_.empty()) return;
    // A failed write is not worth a word at exit.
    WriteUserKeyFileInts(registryKey_, {{"vPos", lastY_}, {"hPos", lastX_}});
}
