#pragma once
// Fills the run-time parameters at start: the working folder, the default paths, the
// demo state, the two configuration files, and then the command line, token by token.
#include <string>

#include "base/runtime/String.h"
#include "shell/AppParams.h"

class CommandLineParams {
public:
    // exePath: the launcher's own executable; its folder becomes the current folder,
    // so every relative path of the parameters starts from there.
    CommandLineParams(AppParams& params, const std::string& exePath);

    // Records one token. isSwitch: it began with '-' or '/', which is already removed.
    void ParseParam(const WideString& token, bool isSwitch, bool isLast);

    // Feeds argv[1..] to ParseParam. A token that follows "update", "reinstall",
    // "droptemp" or "authkey" and starts with '/' is that switch's argument, not a
    // switch: absolute paths start with '/' here.
    void ParseArguments(int argc, const char* const* argv);

    // Whether the executable's folder could be made the current folder.
    bool InOwnFolder() const { return inOwnFolder_; }

private:
    enum class Expect { Nothing, Key, Path };

    AppParams& params_;
    Expect expect_ = Expect::Nothing;
    bool inOwnFolder_ = false;
};
