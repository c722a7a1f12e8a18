#pragma once
// A message sink that records every box the program would show: caption and text.
#include <string>
#include <utility>
#include <vector>

#include "base/runtime/StrUtil.h"
#include "shell/resources/MessageSink.h"

struct CapturingSink : IMessageSink {
    std::vector<std::pair<std::string, std::string>> shown;
    int Show(const WideString& text, const WideString& caption, int) override {
        shown.emplace_back(StrUtil::ToNarrow(caption).Std(), StrUtil::ToNarrow(text).Std());
        return MessageResult::Ok;
    }
};
