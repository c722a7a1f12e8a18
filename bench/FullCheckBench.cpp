// Runs the launcher's full check (FullCheckThread: size, quick MD5 and MD5 of every whole
// file) over a game tree of 20,000 files, 2 GiB in all, against md5sum over the same files
// in the same run. The tree is made once (in argv[1], or under $TMPDIR) and reused by later
// runs. The page cache is warmed first, so both sides measure hashing, not the disk.
// Prints both throughputs (best of several rounds) and the ratio launcher / md5sum.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "VersionFileWriter.h"
#include "common/BenchTree.h"
#include "engine/checks/FullCheckThread.h"

namespace {

constexpr int kRounds = 3;

double MiBPerSecond(std::uint64_t bytes, double seconds) { return bytes / seconds / (1 << 20); }

class WaitingChecker final : public IChecker {
public:
    void SetProgress(std::uint8_t) override {}
    void SetSuccess() override { Finish(true); }
    void SetFailed(Rip*) override { Finish(false); }

    bool WaitForSuccess() {
        std::unique_lock<std::mutex> lock(mutex_);
        done_.wait(lock, [this] { return finished_; });
        return succeeded_;
    }

private:
    void Finish(bool success) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            finished_ = true;
            succeeded_ = success;
        }
        done_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    bool succeeded_ = false;
};

double CheckWithLauncher(const std::string& root, Game::IGameVersion& version) {
    WaitingChecker listener;
    const auto start = std::chrono::steady_clock::now();
    RefPtr<FullCheckThread> worker(new FullCheckThread(&version, &listener));
    if (!worker->Start(WideString(String(root.c_str()))) || !listener.WaitForSuccess()) {
        std::fprintf(stderr, "the full check did not succeed\n");
        std::exit(1);
    }
    return BenchTree::Seconds(std::chrono::steady_clock::now() - start);
}

// xargs may split the list over several md5sum processes; they run one after another,
// so the hashing stays serial, as the launcher's is.
double CheckWithMd5sum(const std::string& listPath) {
    const auto start = std::chrono::steady_clock::now();
    if (std::system(("xargs -0 -a '" + listPath + "' md5sum > /dev/null").c_str()) != 0) {
        std::fprintf(stderr, "md5sum failed\n");
        std::exit(1);
    }
    return BenchTree::Seconds(std::chrono::steady_clock::now() - start);
}

bool WriteFileList(const std::string& listPath, const std::vector<std::string>& paths) {
    std::string list;
    for (const std::string& path : paths) list += path + '\0';
    return VersionWriter::WriteFile(listPath, list);
}

}  // namespace

int main(int argc, char** argv) {
    std::optional<BenchTree::Tree> tree = BenchTree::Open(argc, argv);
    if (!tree) return 1;
    const std::string root = tree->root;
    RefPtr<Game::IGameVersion> version = tree->version;
    const std::vector<std::string> paths = tree->paths;
    const std::uint64_t bytes = tree->bytes;
    const std::string listPath = root + BenchTree::kFileList;
    if (!WriteFileList(listPath, paths) || !BenchTree::WarmPageCache(paths)) {
        std::fprintf(stderr, "could not read the tree in %s\n", root.c_str());
        return 1;
    }
    double ours = 1e9;
    double md5sum = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        ours = std::min(ours, CheckWithLauncher(root, *version));
        md5sum = std::min(md5sum, CheckWithMd5sum(listPath));
    }
    std::printf("%zu files, %.1f MiB in %s\n", paths.size(), bytes / double(1 << 20), root.c_str());
    std::printf("launcher full check: %.0f MiB/s (%.2f s)\n", MiBPerSecond(bytes, ours), ours);
    std::printf("md5sum:              %.0f MiB/s (%.2f s)\n", MiBPerSecond(bytes, md5sum), md5sum);
    std::printf("ratio (launcher / md5sum): %.2f\n", md5sum / ours);
    return 0;
}
