// Runs the launcher's full check (FullCheckThread: size, quick MD5 and MD5 of every whole
// file) over a game tree of 20,000 files, 2 GiB in all, against md5sum over the same files
// in the same run: one md5sum stream, and eight in parallel (xargs -P8 -n64). The tree is
// made once (in argv[1], or under $TMPDIR) and reused by later runs. Warm: the page cache
// holds the tree, so all sides measure hashing. Cold (as root only): the page cache is
// dropped before every round, so the disk counts too. Prints the throughputs (best of
// several rounds), the ratios, the goals, and what the machine had to give: the MD5 rate
// in memory on one thread and on every processor, and the cores that other work left
// free during each measurement.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "VersionFileWriter.h"
#include "common/BenchTree.h"
#include "engine/checks/FullCheckThread.h"
#include "engine/checks/HashPool.h"
#include "engine/gamedata/Md5Stream.h"

namespace {

constexpr int kWarmRounds = 5;
constexpr int kColdRounds = 2;
// The goals, in GB/s (10^9 bytes), and against eight md5sum processes.
constexpr double kWarmGoal = 3.5;
constexpr double kColdGoal = 1.4;
constexpr double kParallelRatioGoal = 2.0;

double GBPerSecond(std::uint64_t bytes, double seconds) { return bytes / seconds / 1e9; }

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

// Processor time of the whole machine and of this process with its waited children,
// in seconds, so that a measurement can tell how much of the machine others took.
struct CpuSample {
    double machineBusy = 0;
    double ours = 0;
};

CpuSample SampleCpu() {
    CpuSample sample;
    std::ifstream stat("/proc/stat");
    std::string cpu;
    unsigned long long user = 0, nice = 0, system = 0, idle = 0, iowait = 0, irq = 0, softirq = 0, steal = 0;
    if (stat >> cpu >> user >> nice >> system >> idle >> iowait >> irq >> softirq >> steal && cpu == "cpu") {
        sample.machineBusy = double(user + nice + system + irq + softirq + steal) / sysconf(_SC_CLK_TCK);
    }
    for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage {};
        getrusage(who, &usage);
        for (const timeval& t : {usage.ru_utime, usage.ru_stime}) sample.ours += t.tv_sec + t.tv_usec / 1e6;
    }
    return sample;
}

struct Measure {
    double seconds = 1e9;
    double freeCores = 0;  // processors that other work left free, on average
    double cpuSeconds = 0;  // processor time the side itself took
};

// Runs the work once and keeps the faster of it and best.
template <class Work>
void Time(Measure& best, Work work) {
    const CpuSample before = SampleCpu();
    const auto start = std::chrono::steady_clock::now();
    work();
    const double seconds = BenchTree::Seconds(std::chrono::steady_clock::now() - start);
    const CpuSample after = SampleCpu();
    if (seconds >= best.seconds) return;
    const double others = (after.machineBusy - before.machineBusy) - (after.ours - before.ours);
    best.seconds = seconds;
    best.freeCores = std::max(0.0, Game::HashPool::MachineThreads() - std::max(0.0, others) / seconds);
    best.cpuSeconds = after.ours - before.ours;
}

void CheckWithLauncher(const std::string& root, Game::IGameVersion& version) {
    WaitingChecker listener;
    RefPtr<FullCheckThread> worker(new FullCheckThread(&version, &listener));
    if (!worker->Start(WideString(String(root.c_str()))) || !listener.WaitForSuccess()) {
        std::fprintf(stderr, "the full check did not succeed\n");
        std::exit(1);
    }
}

void Run(const std::string& command) {
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
}

// xargs may split the list over several md5sum processes; serially they run one after
// another, as one stream of hashing.
void CheckWithMd5sum(const std::string& listPath) { Run("xargs -0 -a '" + listPath + "' md5sum > /dev/null"); }

void CheckWithParallelMd5sum(const std::string& listPath) {
    Run("xargs -0 -P8 -n64 -a '" + listPath + "' md5sum > /dev/null");
}

// Drops the page cache (root only): the next read of every file comes from the disk.
bool DropPageCache() {
    ::sync();
    std::ofstream drop("/proc/sys/vm/drop_caches");
    return static_cast<bool>(drop << "3\n" << std::flush);
}

// MD5 over bytes in memory on threads threads at once, in GB/s: the ceiling of the
// hashing alone, with no file read. Each thread hashes its own piece of the size the
// check reads in, over and over, so the piece stays in the processor's cache as the
// check's pieces do.
double MemoryMd5Rate(unsigned threads) {
    constexpr std::size_t kPiece = 1 << 20;
    constexpr int kRepeats = 192;
    const std::vector<std::uint64_t> sized(kPiece / sizeof(std::uint64_t));
    std::vector<std::vector<std::uint64_t>> pieces(threads, sized);
    for (unsigned i = 0; i < threads; ++i) BenchTree::Noise(3 + i).Fill(pieces[i]);
    double best = 1e9;
    for (int round = 0; round < 5; ++round) {
        const auto start = std::chrono::steady_clock::now();
        std::vector<std::thread> running;
        for (unsigned i = 0; i < threads; ++i) {
            running.emplace_back([&pieces, i] {
                Game::Md5Stream md5;
                for (int repeat = 0; repeat < kRepeats; ++repeat) md5.Add(pieces[i].data(), kPiece);
                std::uint8_t digest[16];
                md5.Finish(digest);
            });
        }
        for (std::thread& thread : running) thread.join();
        best = std::min(best, BenchTree::Seconds(std::chrono::steady_clock::now() - start));
    }
    return GBPerSecond(std::uint64_t(kPiece) * kRepeats * threads, best);
}

bool WriteFileList(const std::string& listPath, const std::vector<std::string>& paths) {
    std::string list;
    for (const std::string& path : paths) list += path + '\0';
    return VersionWriter::WriteFile(listPath, list);
}

struct Sides {
    Measure launcher, md5sum, parallel;
};

// Prints one cache state's figures and whether its goals are met.
void Report(const char* state, std::uint64_t bytes, const Sides& sides, double goal, double coreRate, double allRate) {
    const double ours = GBPerSecond(bytes, sides.launcher.seconds);
    const double versusParallel = sides.parallel.seconds / sides.launcher.seconds;
    std::printf("%s cache:\n", state);
    for (const auto& [name, measure] : {std::pair<const char*, const Measure&>{"launcher full check", sides.launcher},
                                        {"md5sum, one stream", sides.md5sum},
                                        {"xargs -P8 -n64 md5sum", sides.parallel}}) {
        std::printf("  %-22s %5.2f GB/s (%.2f s; %.2f s of processor time; %.1f cores free)\n", name,
                    GBPerSecond(bytes, measure.seconds), measure.seconds, measure.cpuSeconds, measure.freeCores);
    }
    std::printf("  ratios: launcher / md5sum %.2f, launcher / xargs -P8 %.2f\n",
                sides.md5sum.seconds / sides.launcher.seconds, versusParallel);
    const bool met = ours >= goal && versusParallel >= kParallelRatioGoal;
    std::printf("  goals (>= %.1f GB/s, >= %.1fx xargs -P8): %s\n", goal, kParallelRatioGoal, met ? "met" : "not met");
    // What the machine gave: MD5 alone at one thread's rate on the cores that other work
    // left free, and on every processor at once (less than that when processors share
    // cores); and how much of the check's processor time hashing at one thread's rate
    // accounts for (the rest is reading, opening and waiting).
    const unsigned processors = Game::HashPool::MachineThreads();
    const double free = sides.launcher.freeCores;
    std::printf("  machine: MD5 alone %.2f GB/s on one thread x %.1f free cores = %.2f GB/s; %.2f GB/s on %u threads "
                "(x %.1f/%u free = %.2f GB/s); hashing at one thread's rate is %.0f%% of the check's processor time\n",
                coreRate, free, coreRate * free, allRate, processors, free, processors, allRate * free / processors,
                100 * (bytes / 1e9 / coreRate) / sides.launcher.cpuSeconds);
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
    const unsigned processors = Game::HashPool::MachineThreads();
    const double coreRate = MemoryMd5Rate(1);
    const double allRate = MemoryMd5Rate(processors);
    std::printf("%zu files, %.2f GB in %s; MD5 in memory: %.2f GB/s on one thread, %.2f GB/s on %u\n", paths.size(),
                bytes / 1e9, root.c_str(), coreRate, allRate, processors);
    std::fflush(stdout);

    Sides warm;
    for (int round = 0; round < kWarmRounds; ++round) {
        Time(warm.launcher, [&] { CheckWithLauncher(root, *version); });
        Time(warm.md5sum, [&] { CheckWithMd5sum(listPath); });
        Time(warm.parallel, [&] { CheckWithParallelMd5sum(listPath); });
    }
    Report("warm", bytes, warm, kWarmGoal, coreRate, allRate);

    if (geteuid() != 0 || !DropPageCache()) {
        std::printf("cold cache: not measured (dropping the page cache needs root)\n");
        return 0;
    }
    Sides cold;
    for (int round = 0; round < kColdRounds; ++round) {
        DropPageCache();
        Time(cold.launcher, [&] { CheckWithLauncher(root, *version); });
        DropPageCache();
        Time(cold.md5sum, [&] { CheckWithMd5sum(listPath); });
        DropPageCache();
        Time(cold.parallel, [&] { CheckWithParallelMd5sum(listPath); });
    }
    Report("cold", bytes, cold, kColdGoal, coreRate, allRate);
    return 0;
}
