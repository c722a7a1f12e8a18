#include "base/config/GlobalCommand.h"

#include "base/config/ConfigLine.h"
#include "base/config/GlobalRegistry.h"
#include "base/runtime/StrUtil.h"

namespace Global {

namespace {

// The built-in commands run whenever a line names them.
const bool kAlwaysOn = true;

void DefineAlias(const Config::CommandLine& line, void*) {
    if (line.tokens.Size() < 3 || !line.tokens[1].Equals(u"=")) return;
    const std::ptrdiff_t equals = line.value.FindFirstOf(u"=");
    if (equals < 0) return;
    WideString text = line.value.Substr(static_cast<std::size_t>(equals) + 1);
    StrUtil::TrimLeft(text);
    StrUtil::TrimRight(text);
    if (!text.IsEmpty()) Registry::Instance().SetAlias(StrUtil::ToNarrow(line.tokens[0]), text);
}

void RemoveAlias(const Config::CommandLine& line, void*) {
    if (!line.tokens.Empty()) Registry::Instance().RemoveAlias(StrUtil::ToNarrow(line.tokens[0]));
}

}  // namespace

Command::Command(const ::String& name, CommandCallback callback, void* value, const bool* ownerFlag)
    : Command(Registry::Instance(), name, std::move(callback), value, ownerFlag) {}

Command::Command(Registry& registry, const ::String& name, CommandCallback callback, void* value,
                 const bool* ownerFlag)
    : registry_(registry), name_(name) {
    registry_.AddCommand(this, name_, std::move(callback), value, ownerFlag);
}

Command::~Command() { registry_.RemoveCommand(this, name_); }

AliasCommand::AliasCommand(Registry& registry) : Command(registry, "alias", DefineAlias, nullptr, &kAlwaysOn) {}

NoAliasCommand::NoAliasCommand(Registry& registry)
    : Command(registry, "noalias", RemoveAlias, nullptr, &kAlwaysOn) {}

}  // namespace Global
