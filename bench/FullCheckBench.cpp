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
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "GameTreeScan.h"
#include "VersionFileWriter.h"
#include "engine/checks/FullCheckThread.h"
#include "engine/gamedata/GameVersion5.h"

namespace {

constexpr int kPacks = 5;
constexpr std::uint64_t kPackSize = 200ull << 20;
constexpr int kSmallFiles = 19995;
constexpr int kFolders = 300;
constexpr std::uint64_t kTreeSize = 2ull << 30;
constexpr int kRounds = 3;
const char* const kVersionFile = "Profiles/game.version";
// md5sum's list of the files, kept beside the version file and, like it, out of the tree.
const char* const kFileList = "Profiles/files.list";

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

double MiBPerSecond(std::uint64_t bytes, double seconds) { return bytes / seconds / (1 << 20); }

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

struct PlannedFile {
    std::string path;  // relative to the root
    std::uint64_t size;
};

// Packs of a fixed size, then small files of varied sizes over the folders, filling the
// rest of the tree's size exactly.
std::vector<PlannedFile> PlanTree() {
    std::vector<PlannedFile> plan;
    for (int i = 0; i < kPacks; ++i) plan.push_back({"packs/data" + std::to_string(i) + ".pak", kPackSize});
    Noise noise(1);
    std::vector<std::uint64_t> weights(kSmallFiles);
    std::uint64_t weightSum = 0;
    for (std::uint64_t& weight : weights) weightSum += weight = 1 + noise.Next() % 1000;
    const std::uint64_t rest = kTreeSize - kPacks * kPackSize;
    std::uint64_t given = 0;
    for (int i = 0; i < kSmallFiles; ++i) {
        const int folder = i % kFolders;
        const std::uint64_t size = i + 1 == kSmallFiles ? rest - given : rest * weights[i] / weightSum;
        given += size;
        plan.push_back({"res/group" + std::to_string(folder % 10) + "/set" + std::to_string(folder) + "/item" +
                            std::to_string(i) + ".dat",
                        size});
    }
    return plan;
}

bool WriteNoiseFile(const std::filesystem::path& path, std::uint64_t size, Noise& noise) {
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::vector<std::uint64_t> words((1 << 20) / sizeof(std::uint64_t));
    while (out && size > 0) {
        noise.Fill(words);
        const std::uint64_t count = std::min<std::uint64_t>(size, words.size() * sizeof(std::uint64_t));
        out.write(reinterpret_cast<const char*>(words.data()), static_cast<std::streamsize>(count));
        size -= count;
    }
    return static_cast<bool>(out.flush());
}

// Writes the files, then the signed version file describing them (last, so that its
// presence marks a complete tree).
bool MakeTree(const std::string& root) {
    std::printf("writing the tree into %s (2 GiB, once)...\n", root.c_str());
    std::fflush(stdout);
    Noise noise(7);
    for (const PlannedFile& file : PlanTree()) {
        if (!WriteNoiseFile(root + file.path, file.size, noise)) return false;
    }
    VersionWriter::ScanOptions options;
    options.defaultFlags = Game::kCompareHash | Game::kMinimalSet;
    options.excluded.push_back(kVersionFile);
    options.excluded.push_back(kFileList);
    VersionWriter::Model model;
    model.version = "1.0.0";
    std::string key;
    if (!VersionWriter::ScanTree(root, options, model) || !VersionWriter::ReadFile(SAMPLE_VERSION_PRIVATE_KEY, key)) {
        return false;
    }
    std::error_code error;
    std::filesystem::create_directories(root + "Profiles", error);
    return VersionWriter::WriteFile(root + kVersionFile, VersionWriter::Compose(model, 5, 9, key));
}

RefPtr<Game::IGameVersion> LoadTree(const std::string& root) {
    std::string keyBytes;
    if (!VersionWriter::ReadFile(SAMPLE_VERSION_PUBLIC_KEY, keyBytes)) return nullptr;
    ByteVector key;
    key.Append(keyBytes.data(), keyBytes.size());
    return Game::GameVersion5::Load(String(root.c_str()), String(kVersionFile), 0, &key);
}

// The files the version names, as paths on disk.
std::vector<std::string> ListedFiles(const std::string& root, Game::IGameVersion& version) {
    std::vector<std::string> paths;
    for (const RefPtr<Game::GameFolder>& folder : version.GetFolders()) {
        for (const RefPtr<Game::GameFolder::Content>& content : folder->contents) {
            paths.push_back(root + folder->name.Std().substr(1) + content->name.Std());
        }
    }
    return paths;
}

std::uint64_t ListedBytes(Game::IGameVersion& version) {
    std::uint64_t bytes = 0;
    for (const RefPtr<Game::GameFolder>& folder : version.GetFolders()) {
        for (const RefPtr<Game::GameFolder::Content>& content : folder->contents) bytes += content->size;
    }
    return bytes;
}

bool WarmPageCache(const std::vector<std::string>& paths) {
    std::vector<char> buffer(1 << 20);
    for (const std::string& path : paths) {
        std::ifstream in(path, std::ios::binary);
        while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()))) {
        }
        if (!in.eof()) return false;
    }
    return true;
}

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
    return Seconds(std::chrono::steady_clock::now() - start);
}

// xargs may split the list over several md5sum processes; they run one after another,
// so the hashing stays serial, as the launcher's is.
double CheckWithMd5sum(const std::string& listPath) {
    const auto start = std::chrono::steady_clock::now();
    if (std::system(("xargs -0 -a '" + listPath + "' md5sum > /dev/null").c_str()) != 0) {
        std::fprintf(stderr, "md5sum failed\n");
        std::exit(1);
    }
    return Seconds(std::chrono::steady_clock::now() - start);
}

bool WriteFileList(const std::string& listPath, const std::vector<std::string>& paths) {
    std::string list;
    for (const std::string& path : paths) list += path + '\0';
    return VersionWriter::WriteFile(listPath, list);
}

std::string DefaultFolder() {
    const char* temp = std::getenv("TMPDIR");
    return std::string(temp && *temp ? temp : "/tmp") + "/launcher-fullcheck-bench";
}

}  // namespace

int main(int argc, char** argv) {
    std::string root = argc > 1 ? argv[1] : DefaultFolder();
    if (root.back() != '/') root += '/';
    RefPtr<Game::IGameVersion> version = LoadTree(root);
    if (!version || version->GetContentCount() != kPacks + kSmallFiles) {
        if (!MakeTree(root) || !(version = LoadTree(root))) {
            std::fprintf(stderr, "could not make the tree in %s\n", root.c_str());
            return 1;
        }
    }
    const std::vector<std::string> paths = ListedFiles(root, *version);
    const std::uint64_t bytes = ListedBytes(*version);
    const std::string listPath = root + kFileList;
    if (!WriteFileList(listPath, paths) || !WarmPageCache(paths)) {
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
