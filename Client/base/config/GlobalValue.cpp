#include "base/config/GlobalValue.h"

#include "base/config/NumberText.h"
#include "base/runtime/StrUtil.h"

namespace Global {

Value::Value() : text_(u"0") {}

Value::Value(int number) { SetNumber(number); }

// The single-precision value widened: 0.1f keeps its float digits in the number and
// shows as "0.1" in the text.
Value::Value(float number) { SetNumber(static_cast<double>(number)); }

Value::Value(double number) { SetNumber(number); }

Value::Value(bool flag) { SetNumber(flag ? 1.0 : 0.0); }

Value::Value(const ::String& text) { SetText(text, StrUtil::ToWide(text)); }

Value::Value(const char* text) : Value(::String(text)) {}

Value::Value(const WideString& text) { SetText(StrUtil::ToNarrow(text), text); }

Value::Value(const char16_t* text) : Value(WideString(text)) {}

void Value::SetNumber(double number) {
    type_ = ValueType::number;
    number_ = number;
    text_ = StrUtil::ToWide(FormatGeneral(number));
}

void Value::SetText(const ::String& narrow, const WideString& wide) {
    type_ = ValueType::text;
    // Finite decimals only: "inf", "nan" and hexadecimal floats read as no number.
    number_ = StrUtil::ParseDouble(narrow.CStr());
    text_ = wide;
}

}  // namespace Global
