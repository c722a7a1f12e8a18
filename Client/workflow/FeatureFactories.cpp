#include "workflow/FeatureFactories.h"

#include "workflow/patches/VersionUpdateState.h"
#include "workflow/repair/VersionRepairState.h"

namespace {

FeatureFactories MakeInstalled() {
    FeatureFactories factories;
    factories.versionUpdate = [](IMainWindow* window) {
        FeatureStart container;
        container.state = new VersionUpdateState(window);
        return container;
    };
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
