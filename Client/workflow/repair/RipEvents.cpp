#include "workflow/repair/RipEvents.h"

#include "base/runtime/StrUtil.h"

void AppendRipEntries(WideStringVector& arguments, const Rip& rip) {
    int index = 0;
    for (const RipEntry& entry : rip.entries) {
        arguments.PushBack(entry.path);
        arguments.PushBack(StrUtil::FormatW("%u", unsigned{entry.size}));
        arguments.PushBack(StrUtil::FormatW("%d", int{entry.code}));
        arguments.PushBack(StrUtil::FormatW("%d", index++));
    }
}
