#pragma once
// Runs a program in a network namespace of its own that has only loopback, so that
// nothing it sends leaves the machine: `unshare -n` as root, `unshare -rn` otherwise,
// then loopback is brought up (it is down in a new namespace). X11 and D-Bus still
// reach the program through their socket files.
#include <string>
#include <vector>

// The argv that runs argv so; empty when unshare or ip cannot be found. Tests skip
// through SKIP_UNLESS_REQUIRED when it is empty.
std::vector<std::string> InPrivateNetwork(const std::vector<std::string>& argv);
