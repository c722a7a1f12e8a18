#include "support/GameTree.h"

#include <filesystem>
#include <unistd.h>

GameTree::GameTree() {
    char buffer[4096];
    if (getcwd(buffer, sizeof buffer)) savedCwd_ = buffer;
    std::error_code error;
    for (const char* folder : {"bin", "Profiles", "Personal"})
        std::filesystem::create_directories(temp_ / folder, error);
}

GameTree::~GameTree() {
    if (!savedCwd_.empty() && chdir(savedCwd_.c_str()) != 0) {
        // Nothing sensible is left to do; the next test starts in its own process.
    }
}
