#include "workflow/game/HubPackList.h"

#include <algorithm>
#include <cstdint>

#include "base/runtime/StrUtil.h"

namespace {

bool IsComplete(const PackInfo& pack) { return pack.ReadyBuild == pack.ServerBuild; }

}  // namespace

bool IsNotHiresPack(const String& name) {
    return StrUtil::ToLowerAscii(name.View()).find(".hires") == std::string::npos;
}

std::vector<String> HubPackList::ReplaceWith(const PackInfos& fullSet, bool keepHires) {
    packs_.clear();
    byName_.clear();
    std::vector<String> leftOut;
    for (const PackInfo& info : fullSet.Packs) {
        const bool required = IsNotHiresPack(info.Name);
        if (!required && !keepHires) {
            leftOut.push_back(info.Name);
            continue;
        }
        byName_.emplace(std::string(info.Name.View()), packs_.size());
        packs_.push_back(Pack{IsComplete(info), required});
    }
    return leftOut;
}

void HubPackList::Update(const PackInfos& partialSet) {
    for (const PackInfo& info : partialSet.Packs) {
        const auto found = byName_.find(std::string(info.Name.View()));
        if (found != byName_.end()) packs_[found->second].complete = IsComplete(info);
    }
}

HubPackList::Readiness HubPackList::Measure(int requiredCount) const {
    Readiness readiness;
    readiness.allRequiredComplete = true;
    std::int64_t complete = 0;
    for (const Pack& pack : packs_) {
        if (pack.complete) ++complete;
        if (pack.required && !pack.complete) readiness.allRequiredComplete = false;
    }
    const std::int64_t own = std::max(requiredCount, 0);
    const std::int64_t total = static_cast<std::int64_t>(packs_.size()) + own;
    readiness.percent = total == 0 ? 100 : static_cast<int>((complete + own) * 100 / total);
    return readiness;
}
