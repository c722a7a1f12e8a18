#include "workflow/patches/PatchesApplyFunctor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "base/runtime/StrUtil.h"
#include "platform/posix/FileMapping.h"
#include "shell/PathText.h"
#include "shell/resources/StringIds.h"
#include "shell/resources/StringTable.h"
#include "workflow/patches/PatchPlanFile.h"


bool CopyApplier(const WideString& from, const WideString& to) {
    if (from.IsEmpty() || to.IsEmpty()) return false;
    const String source = StrUtil::ToNarrow(from);
    const String target = StrUtil::ToNarrow(to);
    const String temporary = target + String(".tmp");
    // O_NONBLOCK: a FIFO by that name must not block the window; it is refused below.
    const int in = ::open(source.CStr(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (in < 0) return false;
    struct stat info {};
    if (::fstat(in, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(in);
        return false;
    }
    ::unlink(temporary.CStr());
    const int out = ::open(temporary.CStr(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0755);
    if (out < 0) {
        ::close(in);
        return false;
    }
    bool ok = Posix::CopyAll(in, out);
    ::close(in);
    ok = ::fchmod(out, 0755) == 0 && ok;
    ok = ::fsync(out) == 0 && ok;
    ok = ::close(out) == 0 && ok;
    ok = ok && std::rename(temporary.CStr(), target.CStr()) == 0;
    if (!ok) ::unlink(temporary.CStr());
    return ok;
}

RefPtr<PatchesApplyFunctor> PatchesApplyFunctor::Create(PatchesApplyView* view, AppParams* params,
                                                        CumulativePatch* plan) {
    if (!view || !params || !plan) return nullptr;
    return RefPtr<PatchesApplyFunctor>(new PatchesApplyFunctor(view, params, plan));
}

WideString PatchesApplyFunctor::PlanPath() const {
    return PathText::Join(params_->patchesDir, LoadResString(StringId::PatchPlanName));
}

WideString PatchesApplyFunctor::ApplierDestination() const {
    return PathText::Join(params_->binDir, LoadResString(StringId::PatchApplier));
}

bool PatchesApplyFunctor::WritePlan(const MultiPatch& plan) const { return WritePatchPlan(plan, PlanPath()); }

bool PatchesApplyFunctor::Run() {
    // The applier first: a plan without its applier would be handed to an old one.
    if (!CopyApplier(plan_->applierPath, ApplierDestination()) || !WritePlan(*plan_)) {
        view_->OnFailed();
        return false;
    }
    view_->Finish(PlanPath());
    return true;
}
