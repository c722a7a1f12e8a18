#include "shell/LauncherConfig.h"

#include "base/config/GlobalVar.h"
#include "base/runtime/StrUtil.h"
#include "shell/resources/StringIds.h"
#include "shell/resources/StringTable.h"

namespace Global {

Group* LauncherGroup() {
    static Group group = true;
    return &group;
}

}  // namespace Global

namespace {

// The static defaults show only when the string table lacks its entries.
Global::String hostIP("hostIP", "127.0.0.1", Global::LauncherGroup());
Global::Int hostPort("hostPort", 9326, Global::LauncherGroup());
Global::String hostPath("hostPath", "/patch/", Global::LauncherGroup());
Global::String hostType("hostType", "http", Global::LauncherGroup());
Global::Double hostTimeout("hostTimeout", kDefaultHostTimeoutMs, Global::LauncherGroup());
Global::String chnSrvlistUrl("chnSrvlistUrl", "", Global::LauncherGroup());

Global::WString launcherLogin("launcherLogin", u"", Global::UserGroup());

StorageLoader& LauncherStore() {
    static StorageLoader store(Global::LauncherGroup());
    return store;
}

String NarrowPath(const WideString& path) { return StrUtil::ToNarrow(path); }

}  // namespace

StorageLoader& SettingsStore() {
    static StorageLoader store(Global::UserGroup());
    return store;
}

ServerAddress LoadServerAddress(const WideString& launcherCfgPath) {
    hostIP.SetString(StrUtil::ToNarrow(LoadResString(StringId::DefaultHost)));
    bool ok = false;
    const int port = StrUtil::ParseDec(StrUtil::ToNarrow(LoadResString(StringId::DefaultPort)).CStr(), &ok);
    hostPort.SetInt(ok ? port : 0);
    hostPath.SetString(StrUtil::ToNarrow(LoadResString(StringId::DefaultHostPath)));
    LauncherStore().Load(NarrowPath(launcherCfgPath));
    // The number form of each value: a text such as "8080" in quotes reads as its number.
    return MakeServerAddress(hostIP.GetString(), hostPath.GetString(), hostPort.GetDouble(), hostTimeout.GetDouble(),
                             hostType.GetString());
}

ServerDocuments LoadServerDocuments() {
    return ServerDocuments{StrUtil::ToNarrow(LoadResString(StringId::CurrentVersionName)),
                           StrUtil::ToNarrow(LoadResString(StringId::PatchesHistoryName)),
                           StrUtil::ToNarrow(LoadResString(StringId::LauncherTorrentName))};
}

String ConfiguredServerListUrl() { return chnSrvlistUrl.GetString(); }

WideString LoadUserSettings(const WideString& globalCfgPath) {
    SettingsStore().Load(NarrowPath(globalCfgPath));
    return launcherLogin.GetWString();
}

bool SaveLauncherLogin(const WideString& login) {
    launcherLogin.SetWString(login);
    return SettingsStore().Save();
}
