#include "platform/process/EnvironmentBlock.h"

#include <algorithm>

extern char** environ;

namespace {

bool NamesEntry(const std::string& entry, const std::string& name) {
    return entry.size() > name.size() && entry[name.size()] == '=' && entry.compare(0, name.size(), name) == 0;
}

}  // namespace

EnvironmentBlock EnvironmentBlock::Inherited() {
    EnvironmentBlock block;
    for (char** entry = environ; entry && *entry; ++entry) block.entries_.emplace_back(*entry);
    return block;
}

bool EnvironmentBlock::Set(const std::string& name, const std::string& value) {
    if (name.empty() || name.find_first_of(std::string("=\0", 2)) != std::string::npos ||
        value.find('\0') != std::string::npos)
        return false;
    Remove(name);
    entries_.push_back(name + "=" + value);
    return true;
}

void EnvironmentBlock::Remove(const std::string& name) {
    std::erase_if(entries_, [&](const std::string& entry) { return NamesEntry(entry, name); });
}

std::string EnvironmentBlock::Get(const std::string& name) const {
    const auto found =
        std::find_if(entries_.begin(), entries_.end(), [&](const std::string& entry) { return NamesEntry(entry, name); });
    return found == entries_.end() ? std::string() : found->substr(name.size() + 1);
}
