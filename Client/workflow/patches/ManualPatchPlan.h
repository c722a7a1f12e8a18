#pragma once
// The manual patch's chain as the plan the patch apply takes.
#include "platform/ui/UserPrompt.h"
#include "workflow/patches/ManualPatch.h"
#include "workflow/patches/MultiPatch.h"

RefPtr<CumulativePatch> PlanOfManualChain(const ManualPatchChain& chain);

// The whole dialogue of the manual patch through prompt; null when the player cancelled
// the file dialog or did not confirm.
RefPtr<CumulativePatch> ChooseManualPatchPlan(IUserPrompt& prompt, const WideString& installedVersion);
