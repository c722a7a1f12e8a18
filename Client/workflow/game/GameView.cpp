#include "workflow/game/GameView.h"

#include "base/runtime/StrUtil.h"
#include "shell/AppParams.h"
#include "workflow/StateIds.h"

namespace {

int AuthKeyLength() { return static_cast<int>(AuthKey().Length()); }

}  // namespace

RefPtr<ITimer> GameView::CreateTimer() { return CreateWindowTimer(TimerId::GameMonitor); }

RefPtr<ITimer> GameView::CreateHubTimer() { return CreateWindowTimer(TimerId::HubProgress); }

void GameView::OnReady() { SendNumber(u"Game.OnReady", AuthKeyLength()); }

void GameView::OnEpayCheck() { SendNumber(u"Game.OnEpayCheck", AuthKeyLength()); }

void GameView::OnPreRun() { Send(u"Game.OnPreRun"); }

void GameView::OnRun() { Send(u"Game.OnRun"); }

void GameView::OnStartError(int code) { SendNumber(u"Game.OnStartError", code); }

void GameView::OnVtConnectFail() { Send(u"Game.OnVtConnectFail"); }

void GameView::OnVtConnectionLost() { Send(u"Game.OnVtConnectionLost"); }

void GameView::OnDownloading(int percent, bool allRequiredComplete) {
    if (!window_) return;
    WideStringVector arguments;
    arguments.PushBack(StrUtil::FormatW("%d", percent));
    arguments.PushBack(WideString(allRequiredComplete ? u"1" : u"0"));
    window_->SendEventArgs(WideString(u"Game.OnDownloading"), arguments);
}

void GameView::OnDownloadingFinished() { Send(u"Game.OnDownloadingFinished"); }

void GameView::Send(const char16_t* name) {
    if (window_) window_->SendEvent(WideString(name));
}

void GameView::SendNumber(const char16_t* name, int value) {
    if (!window_) return;
    WideStringVector arguments;
    arguments.PushBack(StrUtil::FormatW("%d", value));
    window_->SendEventArgs(WideString(name), arguments);
}
