#pragma once
// Commands of configuration lines: a line whose key names a command (and that has no
// '=') runs the command's callbacks while its owner flag is true.
#include <functional>

#include "base/runtime/String.h"

namespace Config {
struct CommandLine;
}

namespace Global {

class Registry;

using CommandCallback = std::function<void(const Config::CommandLine& line, void* value)>;

class Command {
public:
    // Registers with the registry; refused (and then inert) when callback or owner
    // flag is missing, a variable has the name, or the name has another owner flag.
    Command(const ::String& name, CommandCallback callback, void* value, const bool* ownerFlag);
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;
    virtual ~Command();

    const ::String& Name() const { return name_; }

protected:
    Command(Registry& registry, const ::String& name, CommandCallback callback, void* value, const bool* ownerFlag);

private:
    Registry& registry_;
    ::String name_;
};

// "alias NAME = TEXT": later lines that start with NAME (and have no '=') start with TEXT instead.
class AliasCommand : public Command {
public:
    explicit AliasCommand(Registry& registry);
};

// "noalias NAME": removes the alias.
class NoAliasCommand : public Command {
public:
    explicit NoAliasCommand(Registry& registry);
};

}  // namespace Global
