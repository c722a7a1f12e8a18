#pragma once
// The patch plan: the patches the applier "VaraRurezod.exe" is to apply, one entry per
// version they lead to, in the order they apply. The patch download builds it.
#include "base/runtime/RefCounter.h"
#include "base/runtime/String.h"
#include "base/runtime/Vector.h"

struct MultiPatchItem {
    WideString version;          // the version this entry's patches bring the game to
    WideString gameVersionFile;  // that version's "game.version", for the applier to install
    WideStringVector patchFiles;
};

class MultiPatch : public RefCounter {
public:
    Vector<MultiPatchItem> items;

protected:
    ~MultiPatch() override = default;
};

// A plan with the applier that came with its patches (not part of the plan's file).
class CumulativePatch final : public MultiPatch {
public:
    WideString applierPath;

private:
    ~CumulativePatch() override = default;
};
