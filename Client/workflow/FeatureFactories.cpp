#include "workflow/FeatureFactories.h"

#include "base/runtime/StrUtil.h"
#include "shell/AppParams.h"
#include "workflow/checks/FastCheckState.h"
#include "workflow/game/GameFunctor.h"
#include "workflow/game/GameState.h"
#include "workflow/launcherupdate/LauncherDownloadState.h"
#include "workflow/launcherupdate/LauncherUpdateState.h"
#include "workflow/locale/LocaleState.h"
#include "workflow/patches/VersionUpdateState.h"
#include "workflow/prefs/PrefsState.h"
#include "workflow/repair/VersionRepairState.h"

namespace {

FeatureFactories MakeInstalled() {
    FeatureFactories factories;
    factories.fastCheck = &FastCheckState::Start;
    factories.launcherUpdate = &LauncherUpdateState::Start;
    factories.prefs = [](IMainWindow* window) {
        // One new per statement: a RefCounter claims the block allocated last.
        RefPtr<PrefsView> view(new PrefsView(window));
        RefPtr<PrefsFunctor> functor(new PrefsFunctor(view.Get(), DisplayModes::Process(), GetAppParams()));
        FeatureStart feature;
        feature.state = new PrefsState(functor.Get());
        feature.start = [functor](const WideString& argument) {
            return functor->Load(StrUtil::ParseBool(String(argument).CStr()));
        };
        return feature;
    };
    factories.locale = [](IMainWindow* window) {
        const AppParams* params = GetAppParams();
        RefPtr<LocaleView> view(new LocaleView(window));
        RefPtr<LocaleFunctor> functor(new LocaleFunctor(view.Get(), params ? params->binDir : WideString()));
        FeatureStart feature;
        feature.state = new LocaleState(functor.Get());
        feature.start = [functor](const WideString&) { return functor->Load(); };
        return feature;
    };
    factories.versionUpdate = [](IMainWindow* window) {
        FeatureStart container;
        container.state = new VersionUpdateState(window);
        return container;
    };
    factories.launcherDownload = [](IMainWindow* window) {
        FeatureStart container;
        container.state = new LauncherDownloadState(window);
        return container;
    };
    factories.versionRepair = [](IMainWindow* window) {
        FeatureStart container;
        container.state = new VersionRepairState(window);
        return container;
    };
    factories.game = [](IMainWindow* window) {
        FeatureStart game;
        RefPtr<GameView> view(new GameView(window));
        RefPtr<GameFunctor> functor = GameFunctor::Create(view.Get());
        if (!functor) return game;
        game.state = new GameState(functor.Get(), window, FuturePatchFactories::Installed(),
                                   FullVersionFactories::Installed());
        game.start = [functor](const WideString&) { return functor->Ready(); };
        return game;
    };
    return factories;
}

}  // namespace

const FeatureFactories& FeatureFactories::Installed() {
    static const FeatureFactories factories = MakeInstalled();
    return factories;
}
