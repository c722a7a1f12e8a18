#include "shell/AppParams.h"

#include "base/runtime/StrUtil.h"
#include "engine/gamedata/CreateGameVersion.h"
#include "engine/gamedata/GameVersion5.h"
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

RefPtr<Game::IGameVersion> AppParams::GetGameVersion() {
    if (!gameVersion_) {
        const int mask = demoState == 1 ? Game::kMinimalSet : 0;
        gameVersion_ = Game::CreateGameVersion(Game::GameVersionFormat, StrUtil::ToNarrow(gameRoot),
                                               StrUtil::ToNarrow(versionFile), mask);
    }
    return gameVersion_;
}

AppParams* GetAppParams() { return g_params.Get(); }

void SetAppParams(AppParams* params) { g_params = params; }

WideString& AuthKey() {
    static WideString key;
    return key;
}
