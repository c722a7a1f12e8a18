#include "base/config/GlobalRegistry.h"

#include "base/config/ConfigLine.h"

namespace Global {

namespace {

template <class T>
bool Contains(const Vector<T*>& items, const T* item) {
    for (const T* candidate : items) {
        if (candidate == item) return true;
    }
    return false;
}

}  // namespace

struct Registry::BuiltinCommands {
    explicit BuiltinCommands(Registry& registry) : alias(registry), noAlias(registry) {}
    AliasCommand alias;
    NoAliasCommand noAlias;
};

Registry& Registry::Instance() {
    static Registry registry;
    return registry;
}

Registry::Registry() : builtins_(std::make_unique<BuiltinCommands>(*this)) {}

Registry::~Registry() { builtins_.reset(); }

void Registry::Register(Var* variable, const ::String& name, const Value&, ChangeCallback callback, Group* group) {
    if (!variable || commands_.Find(name)) return;
    auto* node = variables_.Find(name);
    if (!node) node = variables_.Insert(name, Entry{});
    Entry& entry = node->data;
    if (!entry.definition) {
        entry.definition = variable;
        entry.group = group;
        entry.callback = std::move(callback);
    }
    if (Contains(entry.instances, variable)) return;
    CopyToOtherInstances(entry, variable);
    entry.instances.PushBack(variable);
}

Value Registry::RegisterReference(Var* variable, const ::String& name) {
    if (!variable || commands_.Find(name)) return Value();
    auto* node = variables_.Find(name);
    if (!node) node = variables_.Insert(name, Entry{});
    Entry& entry = node->data;
    if (Contains(entry.instances, variable)) return Value();
    entry.instances.PushBack(variable);
    if (entry.definition && entry.definition != variable) return entry.definition->value_;
    return Value();
}

void Registry::CopyToOtherInstances(Entry& entry, Var* source) {
    for (Var* instance : entry.instances) {
        if (instance != source) instance->value_ = source->value_;
    }
}

void Registry::Notify(Var* variable, const ::String& name) {
    auto* node = variables_.Find(name);
    if (!node) return;
    CopyToOtherInstances(node->data, variable);
    // A copy: the callback may add or remove variables of this name.
    const ChangeCallback callback = node->data.callback;
    if (callback) callback(name, variable->value_);
}

void Registry::SetQuietly(Var* variable, const Value& value) {
    variable->value_ = value;
    if (auto* node = variables_.Find(variable->name_)) CopyToOtherInstances(node->data, variable);
}

const Registry::Entry* Registry::ActiveEntry(const ::String& name) const {
    const auto* node = variables_.Find(name);
    // An entry without a group (references only) is ignored.
    if (!node || !node->data.group || !*node->data.group) return nullptr;
    return &node->data;
}

void Registry::AssignByName(const ::String& name, const Value& value) {
    if (!ActiveEntry(name)) return;
    // Looked up again on every step: a change callback may change the instances.
    for (std::size_t i = 0;; ++i) {
        const auto* node = variables_.Find(name);
        if (!node || i >= node->data.instances.Size()) return;
        node->data.instances[i]->Assign(value);
    }
}

Value Registry::GetValue(const ::String& name) const {
    const Entry* entry = ActiveEntry(name);
    if (!entry || entry->instances.Empty()) return Value();
    return entry->instances[0]->value_;
}

bool Registry::Exists(const ::String& name) const { return variables_.Find(name) != nullptr; }

bool Registry::IsInGroup(const ::String& name, const Group* group) const {
    const auto* node = variables_.Find(name);
    return node && group && node->data.group == group;
}

StringVector Registry::ListGroup(const Group* group) const {
    StringVector names;
    if (!group) return names;
    for (const auto* node = variables_.First(); node; node = variables_.Next(node)) {
        if (node->data.group == group) names.PushBack(node->key);
    }
    return names;
}

void Registry::EraseIfUnused(const ::String& name) {
    const auto* node = variables_.Find(name);
    if (node && !node->data.definition && node->data.instances.Empty()) variables_.Erase(name);
}

void Registry::UnregisterInstance(Var* variable, const ::String& name) {
    auto* node = variables_.Find(name);
    if (!node) return;
    Vector<Var*>& instances = node->data.instances;
    for (std::size_t i = 0; i < instances.Size(); ++i) {
        if (instances[i] == variable) {
            instances.Erase(i);
            break;
        }
    }
    EraseIfUnused(name);
}

void Registry::UnregisterDefinition(Var* variable, const ::String& name) {
    auto* node = variables_.Find(name);
    if (!node) return;
    if (node->data.definition == variable) {
        node->data.definition = nullptr;
        node->data.group = nullptr;
        node->data.callback = nullptr;
    }
    EraseIfUnused(name);
}

bool Registry::AddCommand(Command* command, const ::String& name, CommandCallback callback, void* value,
                          const bool* ownerFlag) {
    if (!callback || !ownerFlag || variables_.Find(name)) return false;
    auto* node = commands_.Find(name);
    if (!node) node = commands_.Insert(name, CommandEntry{});
    CommandEntry& entry = node->data;
    if (entry.ownerFlag && entry.ownerFlag != ownerFlag) return false;
    entry.ownerFlag = ownerFlag;
    entry.slots.PushBack(CommandSlot{command, std::move(callback), value});
    return true;
}

void Registry::RemoveCommand(Command* command, const ::String& name) {
    auto* node = commands_.Find(name);
    if (!node) return;
    Vector<CommandSlot>& slots = node->data.slots;
    for (std::size_t i = 0; i < slots.Size(); ++i) {
        if (slots[i].command == command) {
            slots.Erase(i);
            break;
        }
    }
    if (slots.Empty()) commands_.Erase(name);
}

bool Registry::RunCommand(const Config::CommandLine& line) {
    const auto* node = commands_.Find(line.key);
    if (!node || !node->data.ownerFlag || !*node->data.ownerFlag || node->data.slots.Empty()) return false;
    // A copy: a command may add or remove commands while it runs.
    const Vector<CommandSlot> slots = node->data.slots;
    for (const CommandSlot& slot : slots) slot.callback(line, slot.value);
    return true;
}

void Registry::SetAlias(const ::String& name, const WideString& text) {
    if (name.IsEmpty()) return;
    if (auto* node = aliases_.Find(name)) {
        node->data = text;
    } else {
        aliases_.Insert(name, text);
    }
}

void Registry::RemoveAlias(const ::String& name) { aliases_.Erase(name); }

bool Registry::HasAlias(const ::String& name) const { return aliases_.Find(name) != nullptr; }

WideString Registry::AliasText(const ::String& name) const {
    const auto* node = aliases_.Find(name);
    return node ? node->data : WideString();
}

}  // namespace Global
