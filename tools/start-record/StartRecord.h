#pragma once
// How the stand-ins for started programs record their start: NUL-ended texts in a
// file that is written under another name and renamed into place, so a reader never
// sees half a record.
#include <cstdio>
#include <string>
#include <unistd.h>

extern char** environ;

namespace StartRecord {

inline void Write(const char* path, const std::string& record) {
    if (!path || !*path) return;
    const std::string partial = std::string(path) + ".partial";
    if (FILE* file = std::fopen(partial.c_str(), "wb")) {
        std::fwrite(record.data(), 1, record.size(), file);
        std::fclose(file);
        std::rename(partial.c_str(), path);
    }
}

// The working folder, then every argument.
inline void WriteArgv(const char* path, int argc, char** argv) {
    std::string record;
    char cwd[4096];
    record.append(getcwd(cwd, sizeof cwd) ? cwd : "").push_back('\0');
    for (int i = 0; i < argc; ++i) record.append(argv[i]).push_back('\0');
    Write(path, record);
}

// Every "NAME=value" entry of the environment.
inline void WriteEnvironment(const char* path) {
    std::string record;
    for (char** entry = environ; entry && *entry; ++entry) record.append(*entry).push_back('\0');
    Write(path, record);
}

}  // namespace StartRecord
