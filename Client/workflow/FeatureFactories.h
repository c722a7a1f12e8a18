#pragma once
// How MainState creates the features it starts. Each feature fills its own slot when
// it exists; an empty slot, or a factory that answers no state (an input was
// missing), makes the starting command answer false and leaves the key empty.
#include <functional>

#include "workflow/IMainWindow.h"
#include "workflow/IState.h"

struct FeatureStart {
    RefPtr<IState> state;
    // The functor's start operation, run once the state is stored; called with the
    // command's argument. Containers have none: the command itself is forwarded to them.
    std::function<bool(const WideString& argument)> start;
};

using FeatureFactory = std::function<FeatureStart(IMainWindow* window)>;

struct FeatureFactories {
    FeatureFactory prefs;             // 20, key 1
    FeatureFactory locale;            // 10, key 2
    FeatureFactory launcherUpdate;    // 25, key 3
    FeatureFactory fastCheck;         // 40, key 3
    FeatureFactory game;              // 70, key 3
    FeatureFactory versionUpdate;     // container: 80, key 3
    FeatureFactory versionRepair;     // container: 50, 501, 502, key 3
    FeatureFactory launcherDownload;  // container: 2700, key 3

    // The factories of the features built so far.
    static const FeatureFactories& Installed();
};
