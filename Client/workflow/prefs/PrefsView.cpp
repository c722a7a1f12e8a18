#include "workflow/prefs/PrefsView.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/runtime/StrUtil.h"

namespace {

WideString Flag(bool value) { return WideString(value ? u"1" : u"0"); }

WideString Whole(std::int64_t value) { return StrUtil::FormatW("%lld", static_cast<long long>(value)); }

// The integer part, saturated: a limit read from the settings file may be any float.
WideString WholeKBps(float value) {
    if (!std::isfinite(value)) return Whole(0);
    const double limited = std::clamp<double>(value, std::numeric_limits<std::int32_t>::min(),
                                              std::numeric_limits<std::int32_t>::max());
    return Whole(static_cast<std::int64_t>(limited));
}

void AppendFields(WideStringVector& out, const PrefsRecord& current, const PrefsRecord& defaults) {
    auto pair = [&out](const WideString& now, const WideString& initial) {
        out.PushBack(now);
        out.PushBack(initial);
    };
    pair(Flag(current.isGameMovementMouse), Flag(defaults.isGameMovementMouse));
    pair(Flag(current.isSoundMute), Flag(defaults.isSoundMute));
    pair(Flag(current.isGfxFullscreen), Flag(defaults.isGfxFullscreen));
    pair(Whole(current.gfxQuality), Whole(defaults.gfxQuality));
    pair(Whole(current.gfxScreen), Whole(defaults.gfxScreen));
    pair(Whole(current.patchSaveSize), Whole(defaults.patchSaveSize));
    pair(Flag(current.isFutureUpdates), Flag(defaults.isFutureUpdates));
    pair(WholeKBps(current.downLimitGameActive), WholeKBps(defaults.downLimitGameActive));
    pair(WholeKBps(current.downLimitGameRun), WholeKBps(defaults.downLimitGameRun));
}

}  // namespace

void PrefsView::OnLoad(const PrefsRecord& current, const PrefsRecord& defaults, const DisplayModes& modes,
                       bool downloadFullBackground, std::int32_t demoState, const WideString& login) {
    WideStringVector values;
    AppendFields(values, current, defaults);
    for (const DisplayMode& mode : modes.All()) values.PushBack(mode.text);
    Send(u"Prefs.OnLoad", values);
    WideStringVector one;
    one.PushBack(Whole(demoState));
    Send(u"App.SetDemoState", one);
    SetDownloadFullState(downloadFullBackground);
    one[0] = login;
    Send(u"Launcher.SetLogin", one);
}

void PrefsView::OnError() { Send(u"Prefs.OnError"); }

void PrefsView::OnApply() { Send(u"Prefs.OnApply"); }

void PrefsView::OnReset() { Send(u"Prefs.OnReset"); }

void PrefsView::SetDownloadFullState(bool flag) {
    WideStringVector one;
    one.PushBack(Flag(flag));
    Send(u"App.SetDownloadFullState", one);
}

void PrefsView::Send(const char16_t* name, const WideStringVector& arguments) {
    if (window_) window_->SendEventArgs(WideString(name), arguments);
}
