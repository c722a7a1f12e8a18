// The full check as the page sees it: a real worker over a temporary game tree with a
// signed version file, a recording window, and a clock the test moves in 500 ms ticks.
#include <gtest/gtest.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "RecordingWindow.h"
#include "shell/AppParams.h"
#include "support/ManualTimerHost.h"
#include "support/TempDir.h"
#include "support/versions/SignedVersions.h"
#include "workflow/MainState.h"
#include "workflow/PageCommands.h"
#include "workflow/WorkflowValues.h"
#include "workflow/repair/FullCheckFunctor.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

class FullCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!BuiltInKeyIsSample()) GTEST_SKIP() << "the launcher was built with another version key";
        UseNewParams();
        model.version = "5.2.17";
    }
    void TearDown() override {
        SetAppParams(nullptr);
        Workflow::ProgressiveDownload() = false;
        Workflow::MinimumCheck() = true;
    }

    // A fresh run's parameters: nothing loaded yet.
    void UseNewParams() {
        params = new AppParams();
        params->gameRoot = WideString(String(game.Path().c_str()));
        params->versionFile = WideString(u"Profiles/game.version");
        SetAppParams(params.Get());
    }

    // Writes a file into the game and lists it in the /bin/ folder of the model.
    void AddFile(const std::string& name, const std::string& bytes, std::uint8_t flags = 3) {
        game.WriteFile("bin/" + name, bytes);
        Listed(ListedFile(name, bytes, flags));
    }
    void Listed(const VersionWriter::FileEntry& entry) {
        if (model.folders.empty()) model.folders.push_back({"/bin/", {}});
        model.folders[0].files.push_back(entry);
    }
    void WriteVersion() {
        const std::string bytes = SignedVersionFile(model);
        ASSERT_FALSE(bytes.empty());
        game.WriteFile("Profiles/game.version", bytes);
    }

    RefPtr<FullCheckFunctor> Create() {
        view = new FullCheckView(&window);
        return FullCheckFunctor::Create(view.Get(), params.Get());
    }

    // Ticks until the check has sent its final event (bounded in real time).
    bool TickUntilReported() {
        const auto deadline = std::chrono::steady_clock::now() + 30s;
        while (std::chrono::steady_clock::now() < deadline) {
            timers.Advance(FullCheckFunctor::kTickMs);
            if (!window.events.empty() && IsFinal(window.events.back()[0])) return true;
            std::this_thread::sleep_for(2ms);
        }
        return false;
    }
    static bool IsFinal(const std::u16string& name) {
        return name == u"FullCheck.OnSuccess" || name == u"FullCheck.OnComplete" || name == u"FullCheck.OnSystemCrash";
    }
    std::vector<std::u16string> ProgressValues() const {
        std::vector<std::u16string> values;
        for (const EventRecord& event : window.events)
            if (event[0] == u"FullCheck.OnProgress") values.push_back(event.at(1));
        return values;
    }

    TempDir game;
    RefPtr<AppParams> params;
    VersionWriter::Model model;
    ManualTimerHost timers;
    RecordingWindow window{&timers};
    RefPtr<FullCheckView> view;
};

TEST_F(FullCheckTest, AValidGameReportsProgressToHundredThenSuccess) {
    AddFile("a.dll", "first file");
    AddFile("b.dat", std::string(0x8001, 'b'));
    WriteVersion();

    RefPtr<FullCheckFunctor> check = Create();
    ASSERT_TRUE(check);
    ASSERT_TRUE(check->Run());
    ASSERT_TRUE(TickUntilReported());

    EXPECT_EQ(window.events.front(), EventRecord{u"FullCheck.OnStart"});
    ASSERT_FALSE(ProgressValues().empty());
    EXPECT_EQ(ProgressValues().back(), u"100");
    EXPECT_EQ(window.events.back(), EventRecord{u"FullCheck.OnSuccess"});
    EXPECT_FALSE(check->GetResult());

    // The timer is gone: later ticks send nothing, and the check does not run twice.
    const std::size_t sent = window.events.size();
    timers.Advance(5000);
    EXPECT_EQ(window.events.size(), sent);
    EXPECT_FALSE(check->Run());
    EXPECT_EQ(window.events.back(), EventRecord{u"FullCheck.OnStart"});
}

TEST_F(FullCheckTest, DamagedFilesArriveInOneEventWithFourArgumentsEach) {
    AddFile("good.dll", "fine");
    // Right size and quick digest, wrong full hash.
    game.WriteFile("bin/bad.dat", std::string(1024, 'x'));
    VersionWriter::FileEntry bad = ListedFile("bad.dat", std::string(1024, 'x'));
    bad.md5[0] ^= 0xFF;
    Listed(bad);
    Listed(ListedFile("missing.dat", ""));
    WriteVersion();

    RefPtr<FullCheckFunctor> check = Create();
    ASSERT_TRUE(check && check->Run());
    ASSERT_TRUE(TickUntilReported());

    EXPECT_EQ(window.events.back(), (EventRecord{u"FullCheck.OnComplete", u"bin/bad.dat", u"1024", u"5", u"0",
                                                 u"bin/missing.dat", u"0", u"3", u"1"}));
    // The progress of the last tick comes just before the final event.
    EXPECT_EQ(window.events[window.events.size() - 2], (EventRecord{u"FullCheck.OnProgress", u"100"}));
    RefPtr<Rip> rip = check->GetResult();
    ASSERT_TRUE(rip);
    EXPECT_EQ(rip->entries.Size(), 2u);
}

TEST_F(FullCheckTest, AVersionFileThatCannotBeTrustedGivesNoCheck) {
    AddFile("a.dll", "content");
    const std::string good = SignedVersionFile(model);
    std::string badSignature = good;
    badSignature[badSignature.size() - 5] ^= 0x01;
    const struct {
        const char* name;
        std::string bytes;
        bool present;
    } cases[] = {
        {"missing", "", false},
        {"truncated", good.substr(0, good.size() / 2), true},
        {"bad signature", badSignature, true},
        {"older format", "ver4", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(game / "Profiles/game.version");
        if (c.present) game.WriteFile("Profiles/game.version", c.bytes);
        window.events.clear();
        EXPECT_FALSE(Create());
        EXPECT_EQ(window.events, std::vector<EventRecord>{{u"FullCheck.OnFailGameVersion"}});
    }
    // Once the file is good, the next check loads it: a failed load is not kept.
    game.WriteFile("Profiles/game.version", good);
    EXPECT_TRUE(Create());
}

TEST_F(FullCheckTest, ReleasingARunningCheckStopsTheWorkerAndSendsNothingMore) {
    // A sparse file large enough that its MD5 takes seconds.
    game.WriteFile("bin/huge.pak", "");
    fs::resize_file(game / "bin/huge.pak", 1536ull << 20);
    // Its head and tail are zeros, so the quick digest of 32 KiB of zeros passes and
    // the check goes on to read the whole file.
    VersionWriter::FileEntry huge = ListedFile("huge.pak", std::string(0x8000, '\0'));
    huge.size = 1536u << 20;
    Listed(huge);
    WriteVersion();

    RefPtr<FullCheckFunctor> check = Create();
    ASSERT_TRUE(check && check->Run());
    // The page may ask for the result at any time: while the check runs there is none.
    EXPECT_FALSE(check->GetResult());
    timers.Advance(FullCheckFunctor::kTickMs);

    const auto start = std::chrono::steady_clock::now();
    check = nullptr;
    view = nullptr;
    // The worker stops between read chunks, normally within a fraction of a second;
    // a machine under heavy load gets the page's promise of ten seconds at most.
    const auto stopTime = std::chrono::steady_clock::now() - start;
    EXPECT_LT(stopTime, 10s) << std::chrono::duration_cast<std::chrono::milliseconds>(stopTime).count() << " ms";
    const std::size_t sent = window.events.size();
    timers.Advance(5000);
    EXPECT_EQ(window.events.size(), sent);
    for (const EventRecord& event : window.events) EXPECT_FALSE(IsFinal(event[0]));
}

TEST_F(FullCheckTest, ADamagedModuleOfTheRunningLauncherIsASystemCrashWithNoRepairList) {
    // The game root is the build folder, so the running test program is one of the
    // game's files; the version file lists it with a wrong size.
    char exe[PATH_MAX] = {};
    ASSERT_GT(readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
    const fs::path program(exe);
    const fs::path root = program.parent_path().parent_path();
    params->gameRoot = WideString(String((root.string() + "/").c_str()));
    params->versionFile = WideString(String(fs::relative(game / "game.version", root).string().c_str()));
    VersionWriter::FileEntry module = ListedFile(program.filename().string(), "not the program");
    model.folders.push_back({"/" + program.parent_path().filename().string() + "/", {module}});
    game.WriteFile("game.version", SignedVersionFile(model));

    RefPtr<FullCheckFunctor> check = Create();
    ASSERT_TRUE(check && check->Run());
    ASSERT_TRUE(TickUntilReported());

    const std::u16string path = WideString(String(fs::relative(program, root).string().c_str())).Std();
    const std::u16string size = WideString(String(std::to_string(module.size).c_str())).Std();
    EXPECT_EQ(window.events.back(), (EventRecord{u"FullCheck.OnSystemCrash", path, size, u"4", u"0"}));
    EXPECT_FALSE(check->GetResult());
}

TEST_F(FullCheckTest, TheRootStateStartsTheCheckThroughTheRepairContainer) {
    AddFile("core.dll", "needed to start", 3);
    Listed(ListedFile("later.pak", "streamed later", 1));  // missing, outside the minimal set
    WriteVersion();
    RefPtr<MainState> root(MainState::Create(&window));

    // A progressive installation's minimum check looks only at the minimal set.
    Workflow::ProgressiveDownload() = true;
    ASSERT_TRUE(root->OnCommand(PageCommand::ProgressiveMinimumCheckRun, WideString()));
    EXPECT_TRUE(Workflow::MinimumCheck());
    ASSERT_TRUE(TickUntilReported());
    EXPECT_EQ(window.events.back(), EventRecord{u"FullCheck.OnSuccess"});

    // The full check of every file finds the missing one.
    window.events.clear();
    ASSERT_TRUE(root->OnCommand(PageCommand::ProgressiveFullCheckRun, WideString()));
    EXPECT_FALSE(Workflow::MinimumCheck());
    ASSERT_TRUE(TickUntilReported());
    EXPECT_EQ(window.events.back(), (EventRecord{u"FullCheck.OnComplete", u"bin/later.pak",
                                                 WideString(String(std::to_string(std::string("streamed later").size()).c_str())).Std(),
                                                 u"3", u"0"}));

    // Without a version file the command fails after telling the page.
    fs::remove(game / "Profiles/game.version");
    UseNewParams();
    window.events.clear();
    EXPECT_FALSE(root->OnCommand(PageCommand::FullCheckRun, WideString()));
    EXPECT_EQ(window.events, std::vector<EventRecord>{{u"FullCheck.OnFailGameVersion"}});
}

}  // namespace
