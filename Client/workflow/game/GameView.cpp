#include "workflow/game/GameView.h"

#include "base/runtime/StrUtil.h"
#include "shell/AppParams.h"
#include "workflow/StateIds.h"

namespace {

int AuthKeyLength() { return static_cast<int>(AuthKey().Length()); }

}  // namespace

RefPtr<ITimer> GameView::CreateTimer() { return CreateWindowTimer(TimerId::GameMonitor); }

void GameView::OnReady() { SendNumber(u"Game.OnReady", AuthKeyLength()); }

void GameView::OnEpayCheck() { SendNumber(u"Game.OnEpayCheck", AuthKeyLength()); }

void GameView::OnPreRun() {
    if (window_) window_->SendEvent(WideString(u"Game.OnPreRun"));
}

void GameView::OnRun() {
    if (window_) window_->SendEvent(WideString(u"Game.OnRun"));
}

void GameView::OnStartError(int code) { SendNumber(u"Game.OnStartError", code); }

void GameView::SendNumber(const char16_t* name, int value) {
    if (!window_) return;
    WideStringVector arguments;
    arguments.PushBack(StrUtil::FormatW("%d", value));
    window_->SendEventArgs(WideString(name), arguments);
}
