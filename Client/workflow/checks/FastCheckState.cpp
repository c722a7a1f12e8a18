#include "workflow/checks/FastCheckState.h"

FeatureStart FastCheckState::Start(IMainWindow* window) {
    RefPtr<FastCheckView> view(new FastCheckView(window));
    RefPtr<FastCheckFunctor> functor = FastCheckFunctor::Create(view.Get());
    FeatureStart feature;
    if (!functor) return feature;
    feature.state = new FastCheckState(functor.Get());
    feature.start = [functor](const WideString&) { return functor->Run(); };
    return feature;
}
