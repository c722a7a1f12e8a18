// Stands in for the programs the launcher starts (the patch applier, a restarted or
// downloaded launcher, the payment updater). It records how it was started and can
// outlive its starter:
//   ARGV_RECORDER_OUT       file that receives the working folder and then every
//                           argument, each ended by a NUL byte
//   ARGV_RECORDER_ENV_OUT   file that receives every environment entry, each ended by
//                           a NUL byte
//   ARGV_RECORDER_LINGER_MS stay alive this long before exiting (0 when unset)
//   ARGV_RECORDER_EXIT      the exit code (0 when unset)
#include <chrono>
#include <cstdlib>
#include <thread>

#include "StartRecord.h"

int main(int argc, char** argv) {
    StartRecord::WriteArgv(std::getenv("ARGV_RECORDER_OUT"), argc, argv);
    StartRecord::WriteEnvironment(std::getenv("ARGV_RECORDER_ENV_OUT"));
    if (const char* linger = std::getenv("ARGV_RECORDER_LINGER_MS"))
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(linger)));
    const char* code = std::getenv("ARGV_RECORDER_EXIT");
    return code ? std::atoi(code) : 0;
}
