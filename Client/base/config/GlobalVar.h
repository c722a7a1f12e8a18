#pragma once
// Typed global variables: named values bound by name across the program. A
// definition owns the name (default, group, change callback); a reference binds to
// the definition wherever it lives. Every instance keeps its own copy of the value and
// the registry keeps all instances of one name in step.
#include <cstdint>
#include <functional>

#include "base/config/GlobalGroup.h"
#include "base/config/GlobalValue.h"
#include "base/runtime/String.h"

namespace Global {

using ChangeCallback = std::function<void(const ::String& name, const Value& value)>;

class Var {
public:
    enum class Kind : std::int32_t { definition = 0, reference = 1 };

    Var(const Var&) = delete;
    Var& operator=(const Var&) = delete;
    ~Var();

    Kind GetKind() const { return kind_; }
    const ::String& Name() const { return name_; }
    const Value& GetValue() const { return value_; }

    // The number truncated toward zero; out-of-range numbers saturate and NaN gives 0.
    int GetInt() const;
    bool GetBool() const { return value_.Number() != 0; }
    // Numbers beyond the float range saturate.
    float GetFloat() const;
    double GetDouble() const { return value_.Number(); }
    ::String GetString() const;
    const WideString& GetWString() const { return value_.Text(); }
    // The text, as narrow text, equal in length and bytes.
    bool Equals(const ::String& text) const;

    // Every setter reaches all instances of the name and runs the change callback,
    // also when the value did not change.
    void SetInt(int value) { Assign(Value(value)); }
    void SetBool(bool value) { Assign(Value(value)); }
    void SetFloat(float value) { Assign(Value(value)); }
    void SetString(const ::String& value) { Assign(Value(value)); }
    void SetWString(const WideString& value) { Assign(Value(value)); }
    void Assign(const Value& value);

protected:
    Var(const ::String& name, const Value& initial, ChangeCallback callback, Group* group);
    explicit Var(const ::String& name);

private:
    friend class Registry;

    Kind kind_;
    ::String name_;
    Value value_;
};

class String : public Var {
public:
    String(const ::String& name, const ::String& initial, Group* group) : Var(name, Value(initial), {}, group) {}
    explicit String(const ::String& name) : Var(name) {}
};

class WString : public Var {
public:
    WString(const ::String& name, const WideString& initial, Group* group) : Var(name, Value(initial), {}, group) {}
    WString(const ::String& name, const WideString& initial, ChangeCallback callback, Group* group)
        : Var(name, Value(initial), std::move(callback), group) {}
    explicit WString(const ::String& name) : Var(name) {}
};

class Int : public Var {
public:
    Int(const ::String& name, int initial, Group* group) : Var(name, Value(initial), {}, group) {}
    explicit Int(const ::String& name) : Var(name) {}
};

class Bool : public Var {
public:
    Bool(const ::String& name, bool initial, Group* group) : Var(name, Value(initial), {}, group) {}
    Bool(const ::String& name, bool initial, ChangeCallback callback, Group* group)
        : Var(name, Value(initial), std::move(callback), group) {}
    explicit Bool(const ::String& name) : Var(name) {}
};

class Float : public Var {
public:
    Float(const ::String& name, float initial, Group* group) : Var(name, Value(initial), {}, group) {}
    explicit Float(const ::String& name) : Var(name) {}
};

class Double : public Var {
public:
    Double(const ::String& name, double initial, Group* group) : Var(name, Value(initial), {}, group) {}
    Double(const ::String& name, double initial, ChangeCallback callback, Group* group)
        : Var(name, Value(initial), std::move(callback), group) {}
    explicit Double(const ::String& name) : Var(name) {}
};

}  // namespace Global
