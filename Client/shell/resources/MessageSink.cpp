#include "shell/resources/MessageSink.h"

#include <cstdio>

#include "base/runtime/StrUtil.h"
#include "shell/resources/StringTable.h"

namespace {

IMessageSink* g_sink = nullptr;

}  // namespace

int HeadlessMessageSink::Show(const WideString& text, const WideString& caption, int style) {
    std::fprintf(stderr, "%s: %s\n", StrUtil::ToNarrow(caption).CStr(), StrUtil::ToNarrow(text).CStr());
    return (style & MessageStyle::ButtonMask) == MessageStyle::YesNo ? MessageResult::No : MessageResult::Ok;
}

IMessageSink& GetMessageSink() {
    static HeadlessMessageSink headless;
    return g_sink ? *g_sink : headless;
}

void SetMessageSink(IMessageSink* sink) { g_sink = sink; }

int ShowResourceMessage(int id, int style) {
    return GetMessageSink().Show(LoadResString(id), WideString(u"Launcher.exe"), style);
}
