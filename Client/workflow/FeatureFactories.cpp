#include "workflow/FeatureFactories.h"

const FeatureFactories& FeatureFactories::Installed() {
    static const FeatureFactories factories;
    return factories;
}
