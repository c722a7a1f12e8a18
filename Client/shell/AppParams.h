#pragma once
// The run-time parameters: one record per run, created by LauncherApp::Run before
// anything else and published for the whole run. Paths are wide texts in the generic
// form, relative to the current folder, which is the launcher's own bin folder.
#include <cstdint>

#include "base/runtime/RefCounter.h"
#include "base/runtime/String.h"
#include "engine/gamedata/IGameVersion.h"
#include "engine/servers/ServerAddress.h"

// The texts of the inbound firewall rule.
struct FirewallRule {
    WideString exePath;
    WideString name;
    WideString grouping;
    WideString description;
};

struct AppParams : RefCounter {
    bool uac = false;
    bool rip = false;
    std::int32_t demoState = 0;  // 0 full, 1 demo, 2 full-version download started, 3 it was cancelled
    WideString demoPath;
    WideString versionFile;
    WideString binDir;
    WideString patchesDir;
    WideString gameRoot;
    WideString globalCfgPath;
    WideString launcherCfgPath;
    WideString cmdPath;
    bool update = false;
    bool reinstall = false;
    bool dropTemp = false;
    WideString login;
    ServerAddress server;
    FirewallRule firewallRule;

    // Stores login as the saved login ("launcherLogin") and saves the user settings.
    // Line breaks and NUL are removed first: the settings file is line-based, and a
    // login from the page must not add keys of its own.
    bool SaveLogin();

    // The installed game's version object, loaded on first use from gameRoot +
    // versionFile (a demo keeps only the minimal set) and kept for the run; null while
    // the file is missing or invalid, and then tried again on the next call. UI thread
    // only: a worker gets the object from its owner.
    RefPtr<Game::IGameVersion> GetGameVersion();
    // The version file was replaced: the next GetGameVersion reads it again.
    void ForgetGameVersion() { gameVersion_ = nullptr; }

private:
    RefPtr<Game::IGameVersion> gameVersion_;
};

// The record of this run; null before Run publishes it.
AppParams* GetAppParams();
void SetAppParams(AppParams* params);

// The authorisation key from the command line; "" when none.
WideString& AuthKey();
