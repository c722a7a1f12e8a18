#include "workflow/patches/PatchesRequestView.h"

#include "base/runtime/StrUtil.h"
#include "workflow/Settings.h"
#include "workflow/StateIds.h"
#include "workflow/VersionCompare.h"
#include "workflow/WorkflowValues.h"

namespace {

WideStringVector One(const WideString& argument) {
    WideStringVector arguments;
    arguments.PushBack(argument);
    return arguments;
}

WideString Flag(bool value) { return WideString(value ? u"true" : u"false"); }

}  // namespace

RefPtr<ITimer> PatchesRequestView::CreateTimer() { return CreateWindowTimer(TimerId::HttpRequest); }

void PatchesRequestView::OnRequest(const WideString& installedVersion) {
    if (window_) window_->SetTitleVersion(installedVersion);
    Send(u"Patching.OnRequest", One(installedVersion));
}

void PatchesRequestView::OnAnswer(const PatchInfos& patches, bool tooOld) {
    WideStringVector arguments = One(Flag(tooOld));
    for (const RefPtr<PatchInfo>& patch : patches.items) arguments.PushBack(patch->patchedTo);
    Send(u"Patching.OnAnswer", arguments);
}

void PatchesRequestView::OnResponse() {
    // A future patch is still to fetch when the one already downloaded is older.
    const bool futureOnOffer =
        Workflow::PrepatchAvailable() && CompareVersions(Settings::prepatch_ready.GetString(), Workflow::PrepatchVersion()) < 0;
    Send(u"Patching.OnResponse", One(Flag(futureOnOffer)));
}

void PatchesRequestView::OnUpdateLauncher() { Send(u"Patching.OnUpdateLauncher", WideStringVector()); }

void PatchesRequestView::OnServerError(int code) { Send(u"Patching.OnServerError", One(StrUtil::FormatW("%d", code))); }

void PatchesRequestView::OnLogicError(int code) { Send(u"Patching.OnLogicError", One(StrUtil::FormatW("%d", code))); }

void PatchesRequestView::Send(const char16_t* name, const WideStringVector& arguments) {
    if (window_) window_->SendEventArgs(WideString(name), arguments);
}
