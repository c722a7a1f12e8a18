#pragma once
// A global variable's value, always kept both as a number and as a text.
#include <cstdint>

#include "base/runtime/String.h"

namespace Global {

enum class ValueType : std::int32_t { unset = 0, number = 1, text = 2 };

class Value {
public:
    // Unset: number 0, text "0".
    Value();
    Value(int number);
    Value(float number);
    Value(double number);
    Value(bool flag);
    // Text: the number is the text's leading decimal number, 0 when it has none.
    Value(const ::String& text);
    Value(const char* text);
    Value(const WideString& text);
    Value(const char16_t* text);

    ValueType Type() const { return type_; }
    bool IsUnset() const { return type_ == ValueType::unset; }
    double Number() const { return number_; }
    const WideString& Text() const { return text_; }

private:
    void SetNumber(double number);
    void SetText(const ::String& narrow, const WideString& wide);

    ValueType type_ = ValueType::unset;
    double number_ = 0;
    WideString text_;
};

}  // namespace Global
