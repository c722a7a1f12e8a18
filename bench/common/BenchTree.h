#pragma once
// The benchmarks' game tree: 20,000 files, 2 GiB in all (five 200 MiB packs and 19,995
// small files of varied sizes over 300 folders, pseudo-random bytes), with a signed ver5
// version file that asks for the full hash of every file. It is written once into the
// folder given (default $TMPDIR/launcher-fullcheck-bench) and reused by later runs.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/gamedata/IGameVersion.h"

namespace BenchTree {

// xorshift64*: fast, and its output does not compress.
class Noise {
public:
    explicit Noise(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    std::uint64_t Next() {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return state_ * 0x2545F4914F6CDD1Dull;
    }
    void Fill(std::vector<std::uint64_t>& words) {
        for (std::uint64_t& word : words) word = Next();
    }

private:
    std::uint64_t state_;
};

constexpr int kFileCount = 20000;
// Beside the version file, out of the tree: where a benchmark may keep a list of its files.
extern const char* const kFileList;

struct Tree {
    std::string root;  // with a trailing '/'
    RefPtr<Game::IGameVersion> version;
    std::vector<std::string> paths;  // the files the version names, as paths on disk
    std::uint64_t bytes = 0;         // and their sizes together
};

// The tree in argv[1] or the default folder, written first when it is missing or
// incomplete; nothing, after saying so, when it cannot be written.
std::optional<Tree> Open(int argc, char** argv);
// Reads every file once, so that what follows measures the work, not the disk.
bool WarmPageCache(const std::vector<std::string>& paths);

inline double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace BenchTree
