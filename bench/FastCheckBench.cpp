// Times the fast check (the installed version's own Check, which command 40 runs on the UI
// thread) over the 20,000-file game tree of the check benchmarks, and so how long the
// launcher's window is blocked by it. With the quick digests only (size and the MD5 of at
// most two 16 KiB pieces of each file), from a warm page cache and from a cold one (the
// tree's pages evicted first); then with the full hash that the version file asks for,
// as it runs once a full check has set that flag on every file.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "common/BenchTree.h"

namespace {

constexpr int kRounds = 5;
constexpr int kFullHashRounds = 2;

// The seconds of the best round; exits when the check does not pass.
template <class Prepare>
double TimeCheck(Game::IGameVersion& version, int rounds, Prepare prepare) {
    double best = 1e9;
    for (int round = 0; round < rounds; ++round) {
        prepare();
        String firstBad;
        const auto start = std::chrono::steady_clock::now();
        const int code = version.Check(firstBad, false);
        best = std::min(best, BenchTree::Seconds(std::chrono::steady_clock::now() - start));
        if (code != Game::kCheckOk) {
            std::fprintf(stderr, "the fast check failed with %d at %s\n", code, firstBad.CStr());
            std::exit(1);
        }
    }
    return best;
}

void SetHashFlag(Game::IGameVersion& version, bool on) {
    for (const RefPtr<Game::GameFolder>& folder : version.GetFolders()) {
        for (const RefPtr<Game::GameFolder::Content>& content : folder->contents) {
            const std::uint8_t flags = content->Flags();
            content->SetFlags(on ? flags | Game::kCompareHash : flags & ~Game::kCompareHash);
        }
    }
}

// Drops the tree's clean pages from the page cache, and nobody else's.
void EvictFromPageCache(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

void Report(const char* what, std::size_t files, double seconds) {
    std::printf("%-40s %9.0f files/s, the window blocked %7.1f ms\n", what, files / seconds, seconds * 1000);
}

}  // namespace

int main(int argc, char** argv) {
    std::optional<BenchTree::Tree> tree = BenchTree::Open(argc, argv);
    if (!tree) return 1;
    Game::IGameVersion& version = *tree->version;
    const std::vector<std::string>& paths = tree->paths;
    std::printf("%zu files, %.1f MiB in %s\n", paths.size(), tree->bytes / double(1 << 20), tree->root.c_str());

    SetHashFlag(version, false);
    const double warm = TimeCheck(version, kRounds, [] {});
    const double cold = TimeCheck(version, kRounds, [&] { EvictFromPageCache(paths); });
    Report("quick digests, warm page cache:", paths.size(), warm);
    Report("quick digests, cold page cache:", paths.size(), cold);

    SetHashFlag(version, true);
    if (!BenchTree::WarmPageCache(paths)) {
        std::fprintf(stderr, "could not read the tree in %s\n", tree->root.c_str());
        return 1;
    }
    const double full = TimeCheck(version, kFullHashRounds, [] {});
    Report("full hashes (after a full check), warm:", paths.size(), full);
    std::printf("%-40s %9.0f MiB/s\n", "", tree->bytes / full / (1 << 20));
    return 0;
}
