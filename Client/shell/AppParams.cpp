#include "shell/AppParams.h"

#include "shell/LauncherConfig.h"

namespace {

RefPtr<AppParams> g_params;

}  // namespace

bool AppParams::SaveLogin() {
    WideString clean;
    for (char16_t unit : login)
        if (unit != u'\r' && unit != u'\n' && unit != u'\0') clean.Append(unit);
    login = clean;
    return SaveLauncherLogin(login);
}

AppParams* GetAppParams() { return g_params.Get(); }

void SetAppParams(AppParams* params) { g_params = params; }

WideString& AuthKey() {
    static WideString key;
    return key;
}
