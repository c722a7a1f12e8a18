#pragma once
// A temporary game installation: ROOT/bin (where the launcher runs), ROOT/Profiles,
// ROOT/Personal. The process's current folder is restored when it goes away.
#include <string>

#include "support/ScopedTempFolder.h"

class GameTree {
public:
    GameTree();
    ~GameTree();

    const std::string& Root() const { return temp_.Path(); }
    std::string operator/(const std::string& relative) const { return temp_ / relative; }
    // Where the launcher's executable would be.
    std::string LauncherPath() const { return temp_ / "bin/Launcher.exe"; }

private:
    ScopedTempFolder temp_;
    std::string savedCwd_;
};
