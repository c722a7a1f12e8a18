#pragma once
// How the game is started: its program in the launcher's folder, an argv of its own
// (the key one argument, whatever it holds) and an environment made for it alone, so
// that the credentials never reach the launcher's own environment or any program it
// starts later.
#include <optional>
#include <string>

#include "base/runtime/String.h"
#include "platform/process/ProcessSpawn.h"

namespace GameLaunch {

constexpr char kLoginVariable[] = "a_login";
constexpr char kPasswordVariable[] = "a_password";

// The digit after "-vantry": "0" when the game is to act as if no hub were there (the
// switch "fakeVantry") or the launcher has no link to the hub; otherwise "1" when the
// hub started the launcher, "2" when it did not.
char VantryDigit(bool fakeVantry, bool hubLinked, bool startedByHub);

// The launcher's parent is the hub: the file name of its image, lower-cased, is
// "vantryhub.exe".
bool LauncherStartedByHub();

struct Input {
    std::string binFolder;     // absolute; the game starts there
    WideString executable;     // the game's file name in that folder
    WideString login;
    WideString password;       // clear text: enciphered here
    WideString key;            // the command line's authorisation key
    std::optional<char> vantry;  // the hub-mode digit, in the progressive mode only
};

// FOLDER/EXECUTABLE with argv EXECUTABLE [-authkey KEY] [-vantry DIGIT], in FOLDER, with
// our environment less any a_login and a_password, plus both when the login is not
// empty (a_password enciphered).
SpawnRequest BuildRequest(const Input& input);

}  // namespace GameLaunch
