#pragma once
// What the fake hub serves: its parameters, one build's pack list and a pretend
// download that fills the enabled packs in list order at a fixed rate. A script is a
// text file of lines ('#' starts a comment):
//   params API LIGHT ACCEPTED   the "SetParams" sent on every connection (3 0 1)
//   build BUILDINFO SERVERBUILD the build the packs belong to ("1.0.0" 1)
//   pack NAME SIZE [DONE]       a pack of SIZE bytes, DONE of them there already
//   rate BYTES_PER_SECOND       the download speed (0: nothing moves)
//   tick MS                     how often progress is reported (100)
//   newbuild BUILD              announce this new build after the first pack list
#include <cstdint>
#include <string>
#include <vector>

struct ScriptPack {
    std::string name;
    std::int64_t size = 0;
    std::int64_t done = 0;
    std::int64_t initiallyDone = 0;
    bool enabled = true;
    int priority = 0;

    bool Complete() const { return done >= size; }
};

struct HubScript {
    int apiVersion = 3;
    bool lightMode = false;
    int clientAccepted = 1;
    std::string buildInfo = "1.0.0";
    int serverBuild = 1;
    std::vector<ScriptPack> packs;
    std::int64_t rate = 0;
    int tickMs = 100;
    int newBuild = 0;

    // False, with the offending line in error, when the file cannot be read or a line
    // makes no sense.
    bool Load(const std::string& path, std::string& error);

    // Moves the pretend download on by elapsedMs; the packs completed by it.
    std::vector<const ScriptPack*> Advance(std::int64_t elapsedMs);
    // Applies a "SetPackStateExIn" entry; false for an unknown pack.
    bool SetPackState(const std::string& name, bool enable, int priority);

    // The hub's messages.
    std::string ParamsMessage() const;
    std::string PackListMessage(const std::vector<const ScriptPack*>& packs, bool fullSet) const;
    std::string FullPackListMessage() const;
    std::string ProgressMessage() const;
    std::string NewBuildMessage() const;

private:
    std::int64_t carriedBytes_ = 0;  // bytes per second times milliseconds not yet moved
};
