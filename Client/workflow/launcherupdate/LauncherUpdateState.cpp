#include "workflow/launcherupdate/LauncherUpdateState.h"

FeatureStart LauncherUpdateState::Start(IMainWindow* window) {
    RefPtr<LauncherUpdateView> view(new LauncherUpdateView(window));
    RefPtr<LauncherUpdateFunctor> functor = LauncherUpdateFunctor::Create(view.Get());
    FeatureStart feature;
    if (!functor) return feature;
    feature.state = new LauncherUpdateState(functor.Get());
    feature.start = [functor](const WideString&) { return functor->Run(); };
    return feature;
}
