// The fast check as the page starts it, command 40 at the root, over a temporary game
// tree with a signed version file: the version's own check decides, with the minimal-set
// switch following the progressive mode and the hash flag deciding how deep a file is read.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "RecordingWindow.h"
#include "shell/AppParams.h"
#include "support/TempDir.h"
#include "support/versions/SignedVersions.h"
#include "workflow/MainState.h"
#include "workflow/PageCommands.h"
#include "workflow/WorkflowValues.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint8_t kMinimalQuick = Game::kMinimalSet;
constexpr std::uint8_t kMinimalHashed = Game::kMinimalSet | Game::kCompareHash;
constexpr std::uint8_t kStreamedLater = 0;

class FastCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!BuiltInKeyIsSample()) GTEST_SKIP() << "the launcher was built with another version key";
        root = MainState::Create(&window);
    }
    void TearDown() override {
        SetAppParams(nullptr);
        Workflow::ProgressiveDownload() = false;
    }

    // A fresh run's parameters: nothing loaded yet.
    void UseNewParams() {
        params = new AppParams();
        params->gameRoot = WideString(String(game.Path().c_str()));
        params->versionFile = WideString(u"Profiles/game.version");
        SetAppParams(params.Get());
    }

    struct File {
        std::string name;
        std::string listed;    // the bytes the version file describes
        std::string onDisk;    // the bytes written; none for "missing"
        std::uint8_t flags;
        bool present = true;
    };
    void WriteGame(const std::vector<File>& files, bool withMissingFolder = false) {
        fs::remove_all(game / "bin");
        VersionWriter::Model model;
        model.version = "5.2.17";
        model.folders.push_back({"/bin/", {}});
        for (const File& file : files) {
            if (file.present) game.WriteFile("bin/" + file.name, file.onDisk);
            model.folders[0].files.push_back(ListedFile(file.name, file.listed, file.flags));
        }
        if (withMissingFolder) model.folders.push_back({"/gone/", {ListedFile("x.dat", "x")}});
        game.WriteFile("Profiles/game.version", SignedVersionFile(model));
        UseNewParams();
    }

    std::vector<EventRecord> RunCommand(bool* accepted = nullptr) {
        window.events.clear();
        const bool result = root->OnCommand(PageCommand::FastCheckRun, WideString());
        if (accepted) *accepted = result;
        return window.events;
    }

    TempDir game;
    RefPtr<AppParams> params;
    RecordingWindow window;
    RefPtr<MainState> root;
};

const std::vector<EventRecord> kSuccess{{u"FastCheck.OnSuccess"}};
const std::vector<EventRecord> kFail{{u"FastCheck.OnFail"}};

TEST_F(FastCheckTest, TheVerdictFollowsTheVersionsOwnCheck) {
    // Larger than the quick digest's two pieces, so that a change in the middle passes
    // unless the file's flag asks for its full hash.
    const std::string pack(0x10000, 'p');
    std::string changedInTheMiddle = pack;
    changedInTheMiddle[0x8000] = 'X';
    const File good{"core.dll", "code", "code", kMinimalQuick};
    const struct {
        const char* name;
        std::vector<File> files;
        bool missingFolder;
        bool progressive;
        const std::vector<EventRecord>& expected;
    } cases[] = {
        {"all intact", {good, {"data.pak", pack, pack, kMinimalHashed}}, false, false, kSuccess},
        {"wrong size", {good, {"data.pak", pack, pack + "!", kMinimalQuick}}, false, false, kFail},
        {"missing file", {good, {"data.pak", pack, "", kMinimalQuick, false}}, false, false, kFail},
        {"missing folder", {good}, true, false, kFail},
        {"quick digest passes", {good, {"data.pak", pack, changedInTheMiddle, kMinimalQuick}}, false, false, kSuccess},
        {"hash flag reads it all", {good, {"data.pak", pack, changedInTheMiddle, kMinimalHashed}}, false, false, kFail},
        // A progressive installation may lack the files outside the minimal set.
        {"streamed file, full mode", {good, {"late.pak", pack, "", kStreamedLater, false}}, false, false, kFail},
        {"streamed file, progressive", {good, {"late.pak", pack, "", kStreamedLater, false}}, false, true, kSuccess},
        {"minimal file, progressive", {good, {"need.pak", pack, "", kMinimalQuick, false}}, false, true, kFail},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteGame(c.files, c.missingFolder);
        Workflow::ProgressiveDownload() = c.progressive;
        bool accepted = false;
        EXPECT_EQ(RunCommand(&accepted), c.expected);
        EXPECT_TRUE(accepted);
    }
}

TEST_F(FastCheckTest, TheStepStaysIdleAtTheMainFlowKeyUntilReplaced) {
    WriteGame({{"core.dll", "code", "code", kMinimalQuick}});
    EXPECT_EQ(RunCommand(), kSuccess);
    IState* step = root->GetChild(MainState::kMainFlowKey);
    ASSERT_NE(step, nullptr);
    EXPECT_EQ(step->GetId(), -1);
    // It takes no command, and the root's own commands pass it by.
    EXPECT_FALSE(step->OnCommand(PageCommand::FastCheckRun, WideString()));
    window.events.clear();
    EXPECT_TRUE(root->OnCommand(PageCommand::Break, WideString()));
    EXPECT_EQ(root->GetChild(MainState::kMainFlowKey), nullptr);
    EXPECT_TRUE(window.events.empty());
}

TEST_F(FastCheckTest, WithoutAReadableVersionTheCommandFailsSilently) {
    WriteGame({{"core.dll", "code", "code", kMinimalQuick}});
    EXPECT_EQ(RunCommand(), kSuccess);
    fs::remove(game / "Profiles/game.version");
    UseNewParams();
    bool accepted = true;
    EXPECT_TRUE(RunCommand(&accepted).empty());
    EXPECT_FALSE(accepted);
    // The step of the earlier run is gone from the key.
    EXPECT_EQ(root->GetChild(MainState::kMainFlowKey), nullptr);
}

}  // namespace
