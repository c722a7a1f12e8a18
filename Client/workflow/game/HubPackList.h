#pragma once
// The game's packs as the hub last listed them, in the hub's order, each with whether
// its ready build is the server's build, and how much of the game that makes ready.
#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/runtime/String.h"
#include "hublink/InterComTypes.h"

// High-resolution packs carry ".hires" in their name, in any case. The game can run
// without them.
bool IsNotHiresPack(const String& name);

class HubPackList {
public:
    struct Readiness {
        int percent = 0;
        bool allRequiredComplete = false;
    };

    // Replaces the list with the packs of a full set. High-resolution packs are kept
    // only with keepHires; the names of those left out are returned, in order.
    std::vector<String> ReplaceWith(const PackInfos& fullSet, bool keepHires);
    // Takes the completeness of the listed packs that are known by name; others are
    // passed over.
    void Update(const PackInfos& partialSet);

    bool Empty() const { return packs_.empty(); }

    // The percent counts the listed packs that are complete plus the requiredCount
    // files the installation holds of its own, out of both together: 100 when there
    // is nothing at all. Every listed pack but the high-resolution ones must be
    // complete for the flag.
    Readiness Measure(int requiredCount) const;

private:
    struct Pack {
        bool complete = false;
        bool required = false;  // not a high-resolution pack
    };

    std::vector<Pack> packs_;
    // The first pack of each name: a name listed twice updates the first one only.
    std::unordered_map<std::string, std::size_t> byName_;
};
