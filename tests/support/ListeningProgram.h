#pragma once
// A server or peer that a test starts as a program of its own: started from an argv
// vector, waited for until it accepts connections on its port, and ended with SIGTERM
// (SIGKILL when that is not enough) by Stop or with the object.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/process/ProcessHandle.h"

class ListeningProgram {
public:
    ListeningProgram() = default;
    ~ListeningProgram() { Stop(); }
    ListeningProgram(const ListeningProgram&) = delete;
    ListeningProgram& operator=(const ListeningProgram&) = delete;

    // Starts argv (argv[0] is the program's path) and waits at most 10 s until
    // address:port accepts; false, with nothing left running, when the program ended
    // first (most likely the port was taken meanwhile) or never answered.
    bool Start(const std::vector<std::string>& argv, const std::string& address, std::uint16_t port);
    void Stop();
    bool IsRunning() const { return process_.IsValid(); }

private:
    ProcessHandle process_;
};
