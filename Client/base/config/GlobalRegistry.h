#pragma once
// The process-wide registry of global variables, commands and aliases. It is created
// on first use, which every variable, command and loader makes before it is complete,
// so it is destroyed after all of them. UI thread only.
#include <memory>

#include "base/config/GlobalCommand.h"
#include "base/config/GlobalVar.h"
#include "base/runtime/HashMap.h"
#include "base/runtime/String.h"
#include "base/runtime/Vector.h"

namespace Global {

class Registry {
public:
    static Registry& Instance();

    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;
    ~Registry();

    // Variables.
    void Register(Var* variable, const ::String& name, const Value& value, ChangeCallback callback, Group* group);
    Value RegisterReference(Var* variable, const ::String& name);
    void Notify(Var* variable, const ::String& name);
    void AssignByName(const ::String& name, const Value& value);
    Value GetValue(const ::String& name) const;
    bool Exists(const ::String& name) const;
    bool IsInGroup(const ::String& name, const Group* group) const;
    // Names in table order: buckets ascending, each chain from its latest entry.
    StringVector ListGroup(const Group* group) const;
    void UnregisterInstance(Var* variable, const ::String& name);
    void UnregisterDefinition(Var* variable, const ::String& name);
    // Gives the variable and every other instance of its name the value, as a new
    // registration would: without the change callback.
    void SetQuietly(Var* variable, const Value& value);

    // Commands.
    bool AddCommand(Command* command, const ::String& name, CommandCallback callback, void* value,
                    const bool* ownerFlag);
    void RemoveCommand(Command* command, const ::String& name);
    bool RunCommand(const Config::CommandLine& line);

    // Aliases.
    void SetAlias(const ::String& name, const WideString& text);
    void RemoveAlias(const ::String& name);
    bool HasAlias(const ::String& name) const;
    WideString AliasText(const ::String& name) const;

private:
    struct Entry {
        Var* definition = nullptr;
        Group* group = nullptr;
        Vector<Var*> instances;
        ChangeCallback callback;
    };
    struct CommandSlot {
        Command* command = nullptr;
        CommandCallback callback;
        void* value = nullptr;
    };
    struct CommandEntry {
        const bool* ownerFlag = nullptr;
        Vector<CommandSlot> slots;
    };
    struct BuiltinCommands;

    Registry();
    const Entry* ActiveEntry(const ::String& name) const;
    void CopyToOtherInstances(Entry& entry, Var* source);
    void EraseIfUnused(const ::String& name);

    HashMap<::String, Entry> variables_{13};
    HashMap<::String, CommandEntry> commands_{13};
    HashMap<::String, WideString> aliases_{13};
    // Last, so that the built-in commands leave the tables while they still exist.
    std::unique_ptr<BuiltinCommands> builtins_;
};

}  // namespace Global
