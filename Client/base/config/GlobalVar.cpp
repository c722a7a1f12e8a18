#include "base/config/GlobalVar.h"

#include <cmath>
#include <limits>

#include "base/config/GlobalRegistry.h"
#include "base/runtime/StrUtil.h"

namespace Global {

Var::Var(const ::String& name, const Value& initial, ChangeCallback callback, Group* group)
    : kind_(Kind::definition), name_(name), value_(initial) {
    Registry::Instance().Register(this, name_, value_, std::move(callback), group);
}

Var::Var(const ::String& name) : kind_(Kind::reference), name_(name) {
    // The registry exists before the value is asked for, so it outlives this variable.
    Registry& registry = Registry::Instance();
    value_ = registry.RegisterReference(this, name_);
}

Var::~Var() {
    Registry& registry = Registry::Instance();
    registry.UnregisterInstance(this, name_);
    if (kind_ == Kind::definition) registry.UnregisterDefinition(this, name_);
}

int Var::GetInt() const {
    const double number = value_.Number();
    if (std::isnan(number)) return 0;
    if (number >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    if (number <= static_cast<double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    return static_cast<int>(number);
}

float Var::GetFloat() const {
    const double number = value_.Number();
    // A finite double beyond the float range has no float value: the cast would be undefined.
    if (number > std::numeric_limits<float>::max()) return std::numeric_limits<float>::max();
    if (number < -std::numeric_limits<float>::max()) return -std::numeric_limits<float>::max();
    return static_cast<float>(number);
}

::String Var::GetString() const { return StrUtil::ToNarrow(value_.Text()); }

bool Var::Equals(const ::String& text) const { return GetString().Equals(text); }

void Var::Assign(const Value& value) {
    value_ = value;
    Registry::Instance().Notify(this, name_);
}

}  // namespace Global
