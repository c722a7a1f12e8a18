#include "workflow/patches/ManualPatchPlan.h"

RefPtr<CumulativePatch> PlanOfManualChain(const ManualPatchChain& chain) {
    RefPtr<CumulativePatch> plan(new CumulativePatch());
    plan->applierPath = chain.applierPath;
    for (const ManualPatchEntry& entry : chain.entries) {
        MultiPatchItem item;
        item.version = entry.version;
        item.gameVersionFile = entry.gameVersionFile;
        item.patchFiles = entry.patchFiles;
        plan->items.PushBack(std::move(item));
    }
    return plan;
}

RefPtr<CumulativePatch> ChooseManualPatchPlan(IUserPrompt& prompt, const WideString& installedVersion) {
    std::optional<ManualPatchChain> chain = ManualPatch(prompt).Choose(installedVersion);
    return chain ? PlanOfManualChain(*chain) : nullptr;
}
