#pragma once
// What the program learns about itself and its parent from /proc.
#include <string>
#include <sys/types.h>

// The absolute path of the running executable; "" when it cannot be read.
std::string GetOwnExecutablePath();

// The parent of the current process, or -1.
pid_t GetParentProcessId();

// The absolute path of a process's executable. A program whose file was replaced or
// removed while it runs reads back with " (deleted)"; that suffix is dropped so the
// path can still be compared. False when the link cannot be read.
bool GetProcessImagePath(pid_t pid, std::string& path);
