// The attribute check on a temporary game tree with a signed version file: read-only
// files get their owner's write bit back, refused ones are reported by folder, links and
// names that lead out of the tree are never touched, and a stopped worker reports
// nothing. Tests run as root, so refusals come through the worker's mode-change seam.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <future>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "RecordingWindow.h"
#include "shell/AppParams.h"
#include "support/ManualTimerHost.h"
#include "support/TempDir.h"
#include "support/versions/SignedVersions.h"
#include "workflow/checks/CheckAttributesFunctor.h"
#include "workflow/checks/CheckAttributesState.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

void WriteWithMode(const std::string& path, mode_t mode) {
    ASSERT_TRUE(WriteWholeFile(path, "bytes of " + path));
    ASSERT_EQ(::chmod(path.c_str(), mode), 0);
}

// Holds a worker inside the mode change until the test lets it go.
class Gate {
public:
    void WaitUntilOpened() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return open_; });
    }
    void Open() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            open_ = true;
        }
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
};

// The seam: records every file it is asked about; refuses those under refusedUnder,
// holds the calls for files under heldUnder at the gate.
struct ModeSeam {
    std::mutex mutex;
    std::vector<std::string> asked;
    std::string refusedUnder = "\x01";
    std::string heldUnder = "\x01";
    std::promise<void> entered;
    bool signalled = false;
    Gate gate;

    AddOwnerWrite Function() {
        return [this](int fd, mode_t mode, const std::string& path) {
            bool hold = false;
            {
                std::lock_guard<std::mutex> lock(mutex);
                asked.push_back(path);
                hold = path.find(heldUnder) != std::string::npos;
                if (hold && !signalled) {
                    signalled = true;
                    entered.set_value();
                }
            }
            if (hold) gate.WaitUntilOpened();
            if (path.find(refusedUnder) != std::string::npos) return false;
            return AddOwnerWriteBit(fd, mode, path);
        };
    }
    std::vector<std::string> Asked() {
        std::lock_guard<std::mutex> lock(mutex);
        return asked;
    }
};

class AttributeCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!BuiltInKeyIsSample()) GTEST_SKIP() << "the launcher was built with another version key";
        params = new AppParams();
        params->gameRoot = WideString(String(game.Path().c_str()));
        params->versionFile = WideString(u"Profiles/game.version");
        SetAppParams(params.Get());
        model.version = "5.2.17";
    }
    void TearDown() override { SetAppParams(nullptr); }

    // Lists a file of the folder in the model; writes it with the mode unless it is 0.
    void AddFile(const std::string& folder, const std::string& name, mode_t mode) {
        if (mode != 0) WriteWithMode(game / (folder + name), mode);
        auto found = std::find_if(model.folders.begin(), model.folders.end(),
                                  [&](const VersionWriter::FolderEntry& entry) { return entry.name == "/" + folder; });
        if (found == model.folders.end()) {
            model.folders.push_back(VersionWriter::FolderEntry{"/" + folder, {}});
            found = model.folders.end() - 1;
        }
        found->files.push_back(ListedFile(name, "bytes"));
    }
    void WriteVersion() { ASSERT_TRUE(WriteWholeFile(game / "Profiles/game.version", SignedVersionFile(model))); }

    RefPtr<CheckAttributesFunctor> Create(const CheckAttributesThread::Options& options = {}) {
        view = new CheckAttributesView(&window);
        return CheckAttributesFunctor::Create(view.Get(), options);
    }

    // Ticks until the check has sent its result (bounded in real time).
    bool TickUntilReported() {
        const auto deadline = std::chrono::steady_clock::now() + 30s;
        while (std::chrono::steady_clock::now() < deadline) {
            timers.Advance(CheckAttributesFunctor::kTickMs);
            if (!window.events.empty() && window.events.back()[0] != u"CheckAttributes.OnStartChecking") return true;
            std::this_thread::sleep_for(2ms);
        }
        return false;
    }

    // The root as given, then the folder's name with its leading separator.
    std::u16string FolderPath(const std::string& folder) const {
        return WideString(String((game.Path() + folder).c_str())).Std();
    }

    TempDir game;
    RefPtr<AppParams> params;
    VersionWriter::Model model;
    ManualTimerHost timers;
    RecordingWindow window{&timers};
    RefPtr<CheckAttributesView> view;
};

TEST_F(AttributeCheckTest, ReadOnlyFilesGetTheOwnerWriteBitAndThePageHearsSuccess) {
    AddFile("bin/", "game.exe", 0555);
    AddFile("bin/", "writable.dll", 0640);
    AddFile("bin/", "missing.dll", 0);
    AddFile("data/Packs/", "one.pak", 0444);
    AddFile("data/Packs/", "sub/nested.pak", 0400);
    AddFile("gone/", "never.pak", 0);
    // Names that differ from the disk only in letter case reach the file on disk.
    AddFile("Res/", "Textures.PAK", 0);
    WriteWithMode(game / "res/textures.pak", 0444);
    WriteVersion();

    RefPtr<CheckAttributesFunctor> check = Create();
    ASSERT_TRUE(check);
    ASSERT_TRUE(check->Run());
    ASSERT_TRUE(TickUntilReported());
    EXPECT_EQ(window.events, (std::vector<EventRecord>{{u"CheckAttributes.OnStartChecking"},
                                                       {u"CheckAttributes.OnSuccessChecking"}}));
    // Only the owner's write bit is added; the other bits stay.
    EXPECT_EQ(ModeOf(game / "bin/game.exe"), 0755u);
    EXPECT_EQ(ModeOf(game / "bin/writable.dll"), 0640u);
    EXPECT_EQ(ModeOf(game / "data/Packs/one.pak"), 0644u);
    EXPECT_EQ(ModeOf(game / "data/Packs/sub/nested.pak"), 0600u);
    EXPECT_EQ(ModeOf(game / "res/textures.pak"), 0644u);
    EXPECT_FALSE(fs::exists(game / "bin/missing.dll"));

    // The result was sent once and the timer is gone; the check does not run twice.
    timers.Advance(5000);
    EXPECT_EQ(window.events.size(), 2u);
    EXPECT_FALSE(check->Run());
    EXPECT_EQ(window.events.back(), EventRecord{u"CheckAttributes.OnStartChecking"});
}

TEST_F(AttributeCheckTest, RefusedFoldersAreNamedUpToThreeAndTheFourthIsNotVisited) {
    for (const char* folder : {"a/", "b/", "c/", "d/"}) AddFile(folder, "locked.dat", 0444);
    AddFile("a/", "second.dat", 0444);  // after the first refusal the folder is left
    WriteVersion();
    ModeSeam seam;
    seam.refusedUnder = "/";

    RefPtr<CheckAttributesFunctor> check = Create({seam.Function()});
    ASSERT_TRUE(check && check->Run());
    ASSERT_TRUE(TickUntilReported());
    EXPECT_EQ(window.events.back(), (EventRecord{u"CheckAttributes.OnFailedChecking_ResetAttrError",
                                                 FolderPath("/a/"), FolderPath("/b/"), FolderPath("/c/")}));
    EXPECT_EQ(seam.Asked(), (std::vector<std::string>{game.Path() + "/a/locked.dat", game.Path() + "/b/locked.dat",
                                                      game.Path() + "/c/locked.dat"}));
    EXPECT_EQ(ModeOf(game / "a/second.dat"), 0444u);
    EXPECT_EQ(ModeOf(game / "d/locked.dat"), 0444u);
}

TEST_F(AttributeCheckTest, WithoutAnythingToWorkFromThePageHearsAnUnknownError) {
    // No version file at all, then a version that lists no folders.
    RefPtr<CheckAttributesFunctor> check = Create();
    ASSERT_TRUE(check && check->Run());
    ASSERT_TRUE(TickUntilReported());
    EXPECT_EQ(window.events.back(), EventRecord{u"CheckAttributes.OnFailedChecking_UnknownError"});

    check = nullptr;
    WriteVersion();
    window.events.clear();
    check = Create();
    ASSERT_TRUE(check && check->Run());
    ASSERT_TRUE(TickUntilReported());
    EXPECT_EQ(window.events.back(), EventRecord{u"CheckAttributes.OnFailedChecking_UnknownError"});

    // Without the run's parameters there is no check at all.
    SetAppParams(nullptr);
    EXPECT_FALSE(Create());
}

TEST_F(AttributeCheckTest, LinksInTheTreeAreNeverFollowed) {
    TempDir outside;
    WriteWithMode(outside / "target.dat", 0444);
    WriteWithMode(outside / "inner/deep.dat", 0444);
    // A listed file that is a link, a listed folder that is a link, a folder on the way
    // that is a link.
    AddFile("bin/", "target.dat", 0);
    AddFile("linked/", "target.dat", 0);
    AddFile("data/inner/", "deep.dat", 0);
    AddFile("bin/", "own.dat", 0444);
    fs::create_directories(game / "bin");
    fs::create_symlink(outside / "target.dat", game / "bin/target.dat");
    fs::create_directory_symlink(outside.Path(), game / "linked");
    fs::create_directory_symlink(outside.Path(), game / "data");
    WriteVersion();
    ModeSeam seam;

    RefPtr<CheckAttributesFunctor> check = Create({seam.Function()});
    ASSERT_TRUE(check && check->Run());
    ASSERT_TRUE(TickUntilReported());
    EXPECT_EQ(window.events.back(), EventRecord{u"CheckAttributes.OnSuccessChecking"});
    EXPECT_EQ(seam.Asked(), std::vector<std::string>{game.Path() + "/bin/own.dat"});
    EXPECT_EQ(ModeOf(outside / "target.dat"), 0444u);
    EXPECT_EQ(ModeOf(outside / "inner/deep.dat"), 0444u);
    EXPECT_EQ(ModeOf(game / "bin/own.dat"), 0644u);
}

// Reports of a worker driven without a functor.
struct RecordingChecker final : IChecker {
    std::atomic<int> successes {0};
    std::atomic<int> failures {0};
    std::promise<void> reported;

    void SetProgress(std::uint8_t) override {}
    void SetSuccess() override {
        ++successes;
        reported.set_value();
    }
    void SetFailed(Rip*) override {
        ++failures;
        reported.set_value();
    }
};

TEST_F(AttributeCheckTest, NamesThatLeadOutOfTheTreeAreSkipped) {
    // The version loader refuses such names already; the worker does not rely on it.
    TempDir tree;
    const std::string root = tree / "game/";
    WriteWithMode(tree / "outside.dat", 0444);
    WriteWithMode(tree / "game/bin/own.dat", 0444);
    AttributeWorkList work;
    work.root = root;
    work.folders = {
        {"/bin/", {"../../outside.dat", "..\\..\\outside.dat", "sub\\..\\..\\..\\outside.dat", tree / "outside.dat",
                   "own.dat"}},
        {"/../", {"outside.dat"}},
        {"//" + tree.Path(), {"outside.dat"}},
        {"/bin/..\\../", {"outside.dat"}},
    };
    ModeSeam seam;
    RecordingChecker listener;
    WideStringVector failures;
    {
        RefPtr<CheckAttributesThread> worker =
            CheckAttributesThread::GetOrCreate(work, &listener, &failures, {seam.Function()});
        ASSERT_TRUE(worker->Start());
        EXPECT_FALSE(worker->Start());
        ASSERT_EQ(listener.reported.get_future().wait_for(10s), std::future_status::ready);
    }
    EXPECT_EQ(listener.successes, 1);
    EXPECT_EQ(seam.Asked(), std::vector<std::string>{root + "/bin/own.dat"});
    EXPECT_EQ(ModeOf(tree / "outside.dat"), 0444u);
}

TEST_F(AttributeCheckTest, AStopRequestEndsTheWorkBeforeTheNextFileWithoutAReport) {
    TempDir tree;
    AttributeWorkList work;
    work.root = tree.Path();
    for (const char* folder : {"a", "b"}) {
        WriteWithMode(tree / (std::string(folder) + "/first.dat"), 0444);
        WriteWithMode(tree / (std::string(folder) + "/second.dat"), 0444);
        work.folders.push_back({std::string("/") + folder + "/", {"first.dat", "second.dat"}});
    }
    ModeSeam seam;
    seam.heldUnder = "a/first.dat";
    RecordingChecker listener;
    WideStringVector failures;
    {
        RefPtr<CheckAttributesThread> worker =
            CheckAttributesThread::GetOrCreate(work, &listener, &failures, {seam.Function()});
        // One worker at a time: while it lives, asking again gives the same one.
        EXPECT_EQ(CheckAttributesThread::GetOrCreate({}, &listener, &failures, {}), worker);
        ASSERT_TRUE(worker->Start());
        seam.entered.get_future().wait();
        worker->RequestStop();
        seam.gate.Open();
    }
    EXPECT_EQ(listener.successes + listener.failures, 0);
    EXPECT_EQ(seam.Asked().size(), 1u);
    EXPECT_EQ(ModeOf(tree / "a/first.dat"), 0644u);  // the file in hand is finished
    EXPECT_EQ(ModeOf(tree / "a/second.dat"), 0444u);
    EXPECT_EQ(ModeOf(tree / "b/first.dat"), 0444u);
}

TEST_F(AttributeCheckTest, ReleasingTheCheckStopsItsWorkerAndWaitsForItEvenWhenTheFileSystemHoldsIt) {
    AddFile("a/", "stuck.dat", 0444);
    AddFile("b/", "later.dat", 0444);
    WriteVersion();
    ModeSeam seam;
    seam.heldUnder = "a/stuck.dat";
    // The seam's last copy goes with the worker's shared state, when its thread ends.
    std::promise<void> workerEnded;
    std::shared_ptr<void> endToken(nullptr, [&](void*) { workerEnded.set_value(); });
    AddOwnerWrite held = [function = seam.Function(), endToken](int fd, mode_t mode, const std::string& path) {
        return function(fd, mode, path);
    };
    endToken.reset();

    RefPtr<CheckAttributesFunctor> check = Create({held});
    held = nullptr;
    ASSERT_TRUE(check && check->Run());
    seam.entered.get_future().wait();
    // The file system lets go of the worker only a while after its owner is released.
    std::thread fileSystem([&seam] {
        std::this_thread::sleep_for(300ms);
        seam.gate.Open();
    });
    const auto start = std::chrono::steady_clock::now();
    check = nullptr;
    view = nullptr;
    const auto waited = std::chrono::steady_clock::now() - start;
    // The release joined the thread: nothing of the worker is left running.
    EXPECT_EQ(workerEnded.get_future().wait_for(0s), std::future_status::ready);
    EXPECT_GE(waited, 250ms);
    fileSystem.join();

    // Stopped, it went on to no other file and reported nothing.
    timers.Advance(5000);
    EXPECT_EQ(window.events, std::vector<EventRecord>{{u"CheckAttributes.OnStartChecking"}});
    EXPECT_EQ(ModeOf(game / "b/later.dat"), 0444u);
    EXPECT_EQ(seam.Asked().size(), 1u);
}

TEST_F(AttributeCheckTest, TheDefaultFactoryMakesACheckOnTheWindowWithItsTimer) {
    AddFile("bin/", "game.exe", 0555);
    WriteVersion();
    RefPtr<ICheckAttributesFunctor> functor = CheckAttributesFunctor::DefaultFactory()(&window);
    ASSERT_TRUE(functor);
    RefPtr<CheckAttributesState> state(new CheckAttributesState(functor.Get()));
    EXPECT_EQ(state->GetId(), -1);
    EXPECT_FALSE(state->OnCommand(45, WideString()));
    ASSERT_TRUE(state->Functor()->Run());
    EXPECT_EQ(timers.ArmedCount(), 1u);
    ASSERT_TRUE(TickUntilReported());
    EXPECT_EQ(window.events.back(), EventRecord{u"CheckAttributes.OnSuccessChecking"});

    // Without a timer the check does not start, after telling the page it starts.
    window.events.clear();
    timers.FailNextArm();
    RefPtr<ICheckAttributesFunctor> second = CheckAttributesFunctor::DefaultFactory()(&window);
    state = nullptr;
    functor = nullptr;
    EXPECT_FALSE(second->Run());
    EXPECT_EQ(window.events, std::vector<EventRecord>{{u"CheckAttributes.OnStartChecking"}});
}

}  // namespace
