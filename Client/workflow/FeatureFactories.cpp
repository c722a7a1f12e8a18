#include "workflow/FeatureFactories.h"

#include "workflow/checks/FastCheckState.h"
#include "workflow/repair/VersionRepairState.h"

namespace {

FeatureFactories MakeInstalled() {
    FeatureFactories factories;
    factories.fastCheck = &FastCheckState::Start;
    factories.versionRepair = [](IMainWindow* window) {
        FeatureStart container;
        container.state = new VersionRepairState(window);
        return container;
    };
    return factories;
}

}  // namespace

const FeatureFactories& FeatureFactories::Installed() {
    static const FeatureFactories factories = MakeInstalled();
    return factories;
}
