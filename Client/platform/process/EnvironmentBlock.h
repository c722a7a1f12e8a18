#pragma once
// An environment for a child: a copy of ours, changed for that child alone. Ours is
// never changed (setenv is not safe while other threads run, and whatever it holds
// would reach every program started later).
#include <string>
#include <vector>

class EnvironmentBlock {
public:
    // A copy of the environment this process runs with.
    static EnvironmentBlock Inherited();

    // Replaces every entry of name, or adds one. Names with '=' or NUL, and values with
    // NUL, cannot be handed on and are refused.
    bool Set(const std::string& name, const std::string& value);
    void Remove(const std::string& name);
    // The value of name; "" when it is not set.
    std::string Get(const std::string& name) const;

    // "NAME=value" entries, for SpawnRequest::environment.
    const std::vector<std::string>& Entries() const { return entries_; }

private:
    std::vector<std::string> entries_;
};
