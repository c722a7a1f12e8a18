// Stands in for the programs the launcher starts (the patch applier, a restarted or
// downloaded launcher). It records how it was started and can outlive its starter:
//   ARGV_RECORDER_OUT       file that receives the working folder and then every
//                           argument, each ended by a NUL byte
//   ARGV_RECORDER_LINGER_MS stay alive this long before exiting (0 when unset)
//   ARGV_RECORDER_EXIT      the exit code (0 when unset)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <unistd.h>

int main(int argc, char** argv) {
    if (const char* out = std::getenv("ARGV_RECORDER_OUT")) {
        std::string record;
        char cwd[4096];
        record += getcwd(cwd, sizeof cwd) ? cwd : "";
        record += '\0';
        for (int i = 0; i < argc; ++i) {
            record += argv[i];
            record += '\0';
        }
        // Written under another name and renamed, so a reader never sees half a record.
        const std::string partial = std::string(out) + ".partial";
        if (FILE* file = std::fopen(partial.c_str(), "wb")) {
            std::fwrite(record.data(), 1, record.size(), file);
            std::fclose(file);
            std::rename(partial.c_str(), out);
        }
    }
    if (const char* linger = std::getenv("ARGV_RECORDER_LINGER_MS"))
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(linger)));
    const char* code = std::getenv("ARGV_RECORDER_EXIT");
    return code ? std::atoi(code) : 0;
}
