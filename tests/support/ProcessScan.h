#pragma once
// The processes of the machine, found through /proc, for tests that must find programs
// started by the programs they started. Zombies are not counted: they have ended.
#include <sys/types.h>

#include <string>
#include <vector>

// The running processes whose image is path.
std::vector<pid_t> ProcessesOf(const std::string& path);
// The running processes one of whose arguments holds text.
std::vector<pid_t> ProcessesWithArgument(const std::string& text);
