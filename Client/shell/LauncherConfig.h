#pragma once
// The two configuration files of the run-time parameters: the update server's
// address from "Profiles/Launcher.cfg" (read only) and the user settings of
// "Personal/Global.cfg", of which this unit owns the saved login.
#include "base/config/GlobalGroup.h"
#include "base/config/StorageLoader.h"
#include "base/runtime/String.h"
#include "shell/AppParams.h"

namespace Global {
// The update server's variables of "Profiles/Launcher.cfg"; loaded, never saved.
Group* LauncherGroup();
}  // namespace Global

// The store of the user settings ("Personal/Global.cfg"), saved by whoever changes one.
StorageLoader& SettingsStore();

// The update server's document names, from the string table.
ServerDocuments LoadServerDocuments();

// Where the server list is fetched from ("chnSrvlistUrl"); empty when not configured.
String ConfiguredServerListUrl();

// Sets the server variables to the string table's defaults, loads the file over them
// (a missing file keeps the defaults) and returns the address they give.
ServerAddress LoadServerAddress(const WideString& launcherCfgPath);

// Loads the user settings once and returns the saved login ("launcherLogin").
WideString LoadUserSettings(const WideString& globalCfgPath);

// "launcherLogin" := login, then the user settings are saved.
bool SaveLauncherLogin(const WideString& login);

// The address from the variables' values. The port and the time-out come from a file
// the user can edit: out-of-range, negative and non-numeric values are clamped into
// a usable range instead of being converted with undefined results.
ServerAddress MakeServerAddress(const String& host, const String& basePath, double port, double timeoutMs,
                                const String& hostType);

constexpr double kDefaultHostTimeoutMs = 30000;
constexpr double kMinHostTimeoutMs = 1000;
constexpr double kMaxHostTimeoutMs = 3600000;
constexpr int kFallbackPort = 8080;
