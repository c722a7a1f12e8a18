#pragma once
// Children nobody waits for (a program started and left to run, a game that outlived
// its monitor) are reaped by the main loop once they end, so none stays a zombie.
#include "platform/process/ProcessHandle.h"

// Takes the handle; the default main context reaps the child when its pidfd becomes
// readable. A handle that is invalid or already reaped is simply closed.
void ReapWhenEnded(ProcessHandle&& child);
