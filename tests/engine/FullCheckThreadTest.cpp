// The full-check worker against a recording listener: progress, report order, damaged
// files, the minimal set, pause, stop and the loaded-module flag; the reports of several
// hashing threads against those of one.
#include <gtest/gtest.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "SpreadTree.h"
#include "VersionFixtures.h"
#include "engine/checks/FullCheckThread.h"
#include "engine/gamedata/CRCChecker5.h"
#include "engine/gamedata/GameVersion.h"
#include "support/TempDir.h"
#include "workflow/repair/Rip.h"

namespace {

using namespace std::chrono_literals;

class RecordingChecker final : public IChecker {
public:
    void SetProgress(std::uint8_t percent) override {
        FullCheckThread* pauseTarget = nullptr;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            events_.push_back("progress " + std::to_string(percent));
            pauseTarget = std::exchange(pauseOnProgress_, nullptr);
        }
        if (pauseTarget) pauseTarget->SetPaused(true);
        changed_.notify_all();
    }
    void SetSuccess() override { Finish("success", nullptr); }
    void SetFailed(Rip* rip) override { Finish("failed", rip); }

    // The worker pauses itself at its first progress report.
    void PauseOnFirstProgress(FullCheckThread* worker) { pauseOnProgress_ = worker; }

    bool WaitForEvents(std::size_t count, std::chrono::milliseconds bound = 20s) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, bound, [&] { return events_.size() >= count; });
    }
    bool WaitForReport() {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, 20s, [&] { return reports_ > 0; });
    }
    std::vector<std::string> Events() {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_;
    }
    int Reports() {
        std::lock_guard<std::mutex> lock(mutex_);
        return reports_;
    }
    RefPtr<Rip> TakenRip() {
        std::lock_guard<std::mutex> lock(mutex_);
        return rip_;
    }

private:
    void Finish(const char* event, Rip* rip) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            events_.push_back(event);
            rip_ = rip;
            ++reports_;
        }
        changed_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> events_;
    RefPtr<Rip> rip_;
    int reports_ = 0;
    FullCheckThread* pauseOnProgress_ = nullptr;
};

struct TreeFile {
    std::string folder;
    std::string name;
    std::string bytes;
    std::uint8_t flags = 2;
};

// A ver5 version object describing the files; the tree holds them as written.
RefPtr<Game::IGameVersion> Describe(const TempDir& tree, const std::vector<TreeFile>& files) {
    VersionWriter::Model model;
    model.version = "1";
    for (const TreeFile& file : files) {
        if (model.folders.empty() || model.folders.back().name != file.folder) model.folders.push_back({file.folder, {}});
        VersionWriter::FileEntry entry;
        entry.name = file.name;
        entry.flags = file.flags;
        VersionWriter::FillHashes(file.bytes, entry);
        model.folders.back().files.push_back(entry);
        tree.WriteFile(file.folder.substr(1) + file.name, file.bytes);
    }
    return ParseVersion(5, VersionWriter::Compose(model, 5, 1, SamplePrivateKey()), tree.Path());
}

WideString Wide(const std::string& path) { return WideString(String(path.c_str())); }

std::string Narrow(const WideString& text) { return String(text).Std(); }

}  // namespace

TEST(FullCheckThread, ThreeGoodFilesReportThirdsThenSuccessAndForceTheHashBit) {
    TempDir tree;
    RefPtr<Game::IGameVersion> version =
        Describe(tree, {{"/bin/", "a.dll", "a"}, {"/bin/", "b.dll", "b"}, {"/data/", "c.pak", "c"}});
    ASSERT_TRUE(version);
    RecordingChecker listener;
    {
        RefPtr<FullCheckThread> worker(new FullCheckThread(version.Get(), &listener));
        ASSERT_TRUE(worker->Start(Wide(tree.Path())));
        EXPECT_FALSE(worker->Start(Wide(tree.Path())));
        ASSERT_TRUE(listener.WaitForReport());
    }
    EXPECT_EQ(listener.Events(), (std::vector<std::string> {"progress 33", "progress 66", "progress 100", "success"}));
    for (const auto& folder : version->GetFolders()) {
        for (const auto& content : folder->contents) EXPECT_EQ(content->Flags(), 3);
    }
}

TEST(FullCheckThread, DamagedFilesAreListedInCheckOrderWithRelativePaths) {
    TempDir tree;
    const std::string big = PatternBytes(0x9000, 1);
    RefPtr<Game::IGameVersion> version = Describe(tree, {{"/bin/", "a.dll", "aaaa"},
                                                         {"/bin/", "good.dll", "g"},
                                                         {"/bin/", "hash.pak", big},
                                                         {"/", "root.txt", "r"},
                                                         {"/data/", "gone.bin", "x"}});
    ASSERT_TRUE(version);
    tree.WriteFile("bin/a.dll", "aaaaa");
    std::string changed = big;
    changed[0x4800] ^= 1;  // outside the quick digest: only the forced full hash sees it
    tree.WriteFile("bin/hash.pak", changed);
    std::filesystem::remove(tree / "data/gone.bin");

    RecordingChecker listener;
    {
        RefPtr<FullCheckThread> worker(new FullCheckThread(version.Get(), &listener));
        ASSERT_TRUE(worker->Start(Wide(tree.Path())));
        ASSERT_TRUE(listener.WaitForReport());
    }
    EXPECT_EQ(listener.Events(), (std::vector<std::string> {"progress 20", "progress 40", "progress 60", "progress 80",
                                                            "progress 100", "failed"}));
    RefPtr<Rip> rip = listener.TakenRip();
    ASSERT_TRUE(rip);
    EXPECT_FALSE(rip->systemFile);
    ASSERT_EQ(rip->entries.Size(), 3u);
    EXPECT_EQ(Narrow(rip->entries[0].path), "bin/a.dll");
    EXPECT_EQ(rip->entries[0].size, 4u);
    EXPECT_EQ(rip->entries[0].code, 4);
    EXPECT_EQ(Narrow(rip->entries[1].path), "bin/hash.pak");
    EXPECT_EQ(rip->entries[1].code, 5);
    EXPECT_EQ(Narrow(rip->entries[2].path), "data/gone.bin");
    EXPECT_EQ(rip->entries[2].code, 3);
}

TEST(FullCheckThread, MinimalSetOnlySkipsOtherContentsButCountsThem) {
    TempDir tree;
    RefPtr<Game::IGameVersion> version =
        Describe(tree, {{"/bin/", "minimal.dll", "m", 2}, {"/bin/", "other.dll", "o", 0}});
    ASSERT_TRUE(version);
    std::filesystem::remove(tree / "bin/other.dll");
    RecordingChecker listener;
    {
        RefPtr<FullCheckThread> worker(new FullCheckThread(version.Get(), &listener, true));
        ASSERT_TRUE(worker->Start(Wide(tree.Path())));
        ASSERT_TRUE(listener.WaitForReport());
    }
    EXPECT_EQ(listener.Events(), (std::vector<std::string> {"progress 50", "progress 100", "success"}));
    EXPECT_EQ(version->GetFolders()[0]->contents[1]->Flags(), 0);  // never went to the checker
}

TEST(FullCheckThread, PauseHoldsTheWorkerAtTheNextFileUntilResumed) {
    TempDir tree;
    RefPtr<Game::IGameVersion> version = Describe(tree, {{"/", "a", "a"}, {"/", "b", "b"}, {"/", "c", "c"}});
    ASSERT_TRUE(version);
    RecordingChecker listener;
    RefPtr<FullCheckThread> worker(new FullCheckThread(version.Get(), &listener));
    listener.PauseOnFirstProgress(worker.Get());
    ASSERT_TRUE(worker->Start(Wide(tree.Path())));
    ASSERT_TRUE(listener.WaitForEvents(1));
    // Held at the gate: nothing more arrives within a short bounded look.
    EXPECT_FALSE(listener.WaitForEvents(2, 100ms));
    EXPECT_EQ(listener.Events(), (std::vector<std::string> {"progress 33"}));
    worker->SetPaused(false);
    ASSERT_TRUE(listener.WaitForReport());
    EXPECT_EQ(listener.Events(), (std::vector<std::string> {"progress 33", "progress 66", "progress 100", "success"}));
}

TEST(FullCheckThread, DestroyingAPausedWorkerEndsItWithOneReport) {
    TempDir tree;
    RefPtr<Game::IGameVersion> version = Describe(tree, {{"/", "a", "a"}, {"/", "b", "b"}});
    ASSERT_TRUE(version);
    std::filesystem::remove(tree / "a");
    RecordingChecker listener;
    {
        RefPtr<FullCheckThread> worker(new FullCheckThread(version.Get(), &listener));
        listener.PauseOnFirstProgress(worker.Get());
        ASSERT_TRUE(worker->Start(Wide(tree.Path())));
        ASSERT_TRUE(listener.WaitForEvents(1));
    }
    // What was found before the stop is still reported.
    EXPECT_EQ(listener.Events(), (std::vector<std::string> {"progress 50", "failed"}));
    EXPECT_EQ(listener.Reports(), 1);
}

TEST(FullCheckThread, StopInterruptsTheReadingOfALargeFile) {
    TempDir tree;
    // A sparse 3 GiB file: its quick digest matches zeros, so only the full hash reads it all.
    const std::uint64_t size = 3ull << 30;
    VersionWriter::Model model;
    model.version = "1";
    VersionWriter::FileEntry entry;
    VersionWriter::FillHashes("s", entry);
    entry.name = "small";
    model.folders.push_back({"/", {entry}});
    VersionWriter::FillHashes(std::string(0x8001, '\0'), entry);
    entry.name = "huge.pak";
    entry.size = static_cast<std::uint32_t>(size);
    model.folders[0].files.push_back(entry);
    tree.WriteFile("small", "s");
    tree.WriteFile("huge.pak", "");
    ASSERT_EQ(truncate((tree / "huge.pak").c_str(), static_cast<off_t>(size)), 0);
    RefPtr<Game::IGameVersion> version =
        ParseVersion(5, VersionWriter::Compose(model, 5, 1, SamplePrivateKey()), tree.Path());
    ASSERT_TRUE(version);

    // With the stop flag up, the checker gives up at its first chunk.
    std::atomic<bool> stop {true};
    RefPtr<Game::CRCChecker5> checker(new Game::CRCChecker5(Game::kCheckerBufferSize));
    checker->SetStopFlag(&stop);
    const auto& huge = version->GetFolders()[0]->contents[1];
    huge->AddFlags(Game::kCompareHash);
    EXPECT_NE(checker->Check(String(tree.Path().c_str()) + "/", huge.Get()), 0);

    RecordingChecker listener;
    std::chrono::steady_clock::duration stopTime {};
    {
        RefPtr<FullCheckThread> worker(new FullCheckThread(version.Get(), &listener));
        ASSERT_TRUE(worker->Start(Wide(tree.Path())));
        ASSERT_TRUE(listener.WaitForEvents(1));  // now at, or reading, the large file
        const auto start = std::chrono::steady_clock::now();
        worker = nullptr;
        stopTime = std::chrono::steady_clock::now() - start;
    }
    EXPECT_LT(stopTime, 2s);
    // The interrupted file was not checked, so it is not listed as damaged.
    EXPECT_EQ(listener.Events(), (std::vector<std::string> {"progress 50", "success"}));
}

TEST(FullCheckThread, ADamagedModuleOfThisProcessSetsTheSystemFileFlag) {
    char exe[PATH_MAX];
    ASSERT_TRUE(realpath("/proc/self/exe", exe));
    const std::filesystem::path exePath(exe);
    const std::string gameFolder = exePath.parent_path().parent_path().string() + "/";
    std::string upperName = exePath.filename().string();
    for (char& c : upperName) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));

    VersionWriter::Model model;
    model.version = "1";
    VersionWriter::FileEntry entry;
    entry.name = upperName;
    entry.size = 1;  // wrong on purpose
    model.folders.push_back({"\\" + exePath.parent_path().filename().string() + "\\", {entry}});
    entry.name = "not-a-module";
    model.folders.push_back({"/", {entry}});
    RefPtr<Game::IGameVersion> version = ParseVersion(5, VersionWriter::Compose(model, 5, 1, SamplePrivateKey()));
    ASSERT_TRUE(version);

    RecordingChecker listener;
    {
        RefPtr<FullCheckThread> worker(new FullCheckThread(version.Get(), &listener));
        ASSERT_TRUE(worker->Start(Wide(gameFolder)));
        ASSERT_TRUE(listener.WaitForReport());
        const std::string relative = exePath.parent_path().filename().string() + "/" + exePath.filename().string();
        EXPECT_TRUE(worker->IsLoadedModule(String(relative.c_str())));
        EXPECT_FALSE(worker->IsLoadedModule(String(exePath.filename().string().c_str())));  // bare name: no
    }
    RefPtr<Rip> rip = listener.TakenRip();
    ASSERT_TRUE(rip);
    ASSERT_EQ(rip->entries.Size(), 2u);
    EXPECT_TRUE(rip->systemFile);
}

namespace {

struct Outcome {
    std::vector<std::string> events;
    std::vector<std::tuple<std::string, std::uint32_t, int>> damaged;
    bool systemFile = false;
    std::vector<int> flags;  // of every content afterwards
};

Outcome RunWholeCheck(const SpreadTree& tree, bool minimalSetOnly, unsigned threads) {
    RefPtr<Game::IGameVersion> version = tree.Version();
    RecordingChecker listener;
    {
        RefPtr<FullCheckThread> worker(new FullCheckThread(version.Get(), &listener, minimalSetOnly, threads));
        EXPECT_TRUE(worker->Start(Wide(tree.Tree().Path())));
        EXPECT_TRUE(listener.WaitForReport());
    }
    Outcome outcome;
    outcome.events = listener.Events();
    if (RefPtr<Rip> rip = listener.TakenRip()) {
        for (const RipEntry& entry : rip->entries) outcome.damaged.emplace_back(Narrow(entry.path), entry.size, entry.code);
        outcome.systemFile = rip->systemFile;
    }
    for (const auto& folder : version->GetFolders()) {
        for (const auto& content : folder->contents) outcome.flags.push_back(content->Flags());
    }
    return outcome;
}

// Bytes this process has read through read calls so far.
std::uint64_t BytesRead() {
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value) {
        if (key == "rchar:") return value;
    }
    return 0;
}

// Waits, for at most bound, until the process has read more than bytes beyond from.
bool ReadsGoOnPast(std::uint64_t from, std::uint64_t bytes, std::chrono::milliseconds bound = 10s) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (std::chrono::steady_clock::now() < deadline) {
        if (BytesRead() > from + bytes) return true;
        std::this_thread::sleep_for(2ms);
    }
    return false;
}

std::size_t ThreadCount() {
    std::error_code error;
    std::size_t count = 0;
    for (auto it = std::filesystem::directory_iterator("/proc/self/task", error); !error && it != decltype(it)();
         it.increment(error)) {
        ++count;
    }
    return count;
}

}  // namespace

TEST(FullCheckThread, ParallelReportsAreThoseOfOneThread) {
    SpreadTree tree(5);
    for (bool minimalSetOnly : {false, true}) {
        SCOPED_TRACE(minimalSetOnly ? "minimal set only" : "every file");
        const Outcome reference = RunWholeCheck(tree, minimalSetOnly, 1);
        ASSERT_EQ(reference.events.size(), static_cast<std::size_t>(tree.Version()->GetContentCount()) + 1);
        EXPECT_EQ(reference.events.back(), "failed");
        for (unsigned threads : {2u, 8u}) {
            const Outcome parallel = RunWholeCheck(tree, minimalSetOnly, threads);
            EXPECT_EQ(parallel.events, reference.events) << threads;
            EXPECT_EQ(parallel.damaged, reference.damaged) << threads;
            EXPECT_EQ(parallel.systemFile, reference.systemFile) << threads;
            EXPECT_EQ(parallel.flags, reference.flags) << threads;
        }
        if (minimalSetOnly) continue;
        // The reference itself lists exactly the damage done, in list order.
        std::vector<std::pair<std::string, int>> listed;
        for (const auto& [path, size, code] : reference.damaged) listed.push_back({path, code});
        EXPECT_EQ(listed, tree.Damaged());
    }
}

TEST(FullCheckThread, PauseAndStopInTheMiddleOfLargeFilesActWithinTheirBounds) {
    TempDir tree;
    // Three sparse 2 GiB files behind a small one: four threads are all in the middle
    // of a file for seconds. Their quick digests match zeros; nothing reads them whole.
    const std::uint64_t size = 2ull << 30;
    VersionWriter::Model model;
    model.version = "1";
    model.folders.push_back({"/", {ListedFile("first", "f")}});
    tree.WriteFile("first", "f");
    for (const char* name : {"huge1.pak", "huge2.pak", "huge3.pak"}) {
        VersionWriter::FileEntry entry = ListedFile(name, std::string(0x8001, '\0'));
        entry.size = static_cast<std::uint32_t>(size);
        model.folders[0].files.push_back(entry);
        tree.WriteFile(name, "");
        ASSERT_EQ(truncate((tree / name).c_str(), static_cast<off_t>(size)), 0);
    }
    RefPtr<Game::IGameVersion> version =
        ParseVersion(5, VersionWriter::Compose(model, 5, 1, SamplePrivateKey()), tree.Path());
    ASSERT_TRUE(version);

    const std::size_t threadsBefore = ThreadCount();
    RecordingChecker listener;
    RefPtr<FullCheckThread> worker(new FullCheckThread(version.Get(), &listener, false, 4));
    ASSERT_TRUE(worker->Start(Wide(tree.Path())));
    ASSERT_TRUE(listener.WaitForEvents(1));
    ASSERT_TRUE(ReadsGoOnPast(BytesRead(), 16 << 20));

    // Within 100 ms every thread is held between two read chunks, and nothing is reported.
    worker->SetPaused(true);
    const auto paused = std::chrono::steady_clock::now();
    std::this_thread::sleep_until(paused + 100ms);
    const std::uint64_t held = BytesRead();
    std::this_thread::sleep_until(paused + 300ms);
    EXPECT_LT(BytesRead() - held, 64u << 10);  // what reading /proc/self/io itself counts
    EXPECT_EQ(listener.Events(), (std::vector<std::string> {"progress 25"}));

    worker->SetPaused(false);
    EXPECT_TRUE(ReadsGoOnPast(BytesRead(), 16 << 20));

    // A stop ends every thread before the owner's release returns; the files cut short
    // are not listed.
    const auto stopping = std::chrono::steady_clock::now();
    worker = nullptr;
    EXPECT_LT(std::chrono::steady_clock::now() - stopping, 1s);
    EXPECT_EQ(ThreadCount(), threadsBefore);
    EXPECT_EQ(listener.Events(), (std::vector<std::string> {"progress 25", "success"}));
}
