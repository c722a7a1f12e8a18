#pragma once
// The benchmarks' game tree: 20,000 files, 2 GiB in all (five 200 MiB packs and 19,995
// small files of varied sizes over 300 folders, pseudo-random bytes), with a signed ver5
// version file that asks for the full hash of every file. It is written once into the
// folder given (default $TMPDIR/launcher-fullcheck-bench) and reused by later runs.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/gamedata/IGameVersion.h"

namespace BenchTree {

constexpr int kFileCount = 20000;
// Beside the version file, out of the tree: where a benchmark may keep a list of its files.
extern const char* const kFileList;

// argv[1], or the default folder; with a trailing '/'.
std::string RootFolder(int argc, char** argv);
// The tree's version object, the tree being written first when it is missing or
// incomplete; null when it cannot be written.
RefPtr<Game::IGameVersion> LoadOrMake(const std::string& root);

// The files the version names, as paths on disk, and their bytes.
std::vector<std::string> ListedFiles(const std::string& root, Game::IGameVersion& version);
std::uint64_t ListedBytes(Game::IGameVersion& version);
// Reads every file once, so that what follows measures the work, not the disk.
bool WarmPageCache(const std::vector<std::string>& paths);

inline double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace BenchTree
