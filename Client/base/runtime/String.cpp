#include "base/runtime/String.h"

#include "base/runtime/StrUtil.h"

String::String(const WideString& wide) { StrUtil::WideToNarrow(*this, wide); }

WideString::WideString(const String& narrow) { StrUtil::NarrowToWide(*this, narrow); }

void String::AssignLower(const String& source) {
    if (&source == this) {
        for (std::size_t i = 0; i < Length(); ++i) (*this)[i] = StrUtil::ToLower((*this)[i]);
        return;
    }
    Resize(source.Length());
    for (std::size_t i = 0; i < source.Length(); ++i) (*this)[i] = StrUtil::ToLower(source[i]);
}
