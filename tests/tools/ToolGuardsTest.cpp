// The tools that write the demo's world and an update server's folder delete and rewrite
// what they make there: they refuse a folder or a version text that would lead them
// anywhere else, before they touch anything.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/process/ProcessHandle.h"
#include "platform/process/ProcessSpawn.h"
#include "support/FileBytes.h"
#include "support/ScopedTempFolder.h"

namespace fs = std::filesystem;

namespace {

struct ToolRun {
    int code = -1;
    std::string errors;
};

// Runs the tool with its standard error kept in a file of the temporary folder.
ToolRun RunTool(const ScopedTempFolder& temp, const std::vector<std::string>& tool) {
    const std::string errors = temp / "stderr";
    std::vector<std::string> argv = {"/bin/sh", "-c", "exec \"$@\" 2>\"$ERRORS\"", "sh"};
    argv.insert(argv.end(), tool.begin(), tool.end());
    SpawnRequest request{"/bin/sh", argv, ""};
    request.environment = std::vector<std::string>{"PATH=/usr/bin:/bin", "ERRORS=" + errors};
    ProcessHandle child = SpawnChild(request);
    ToolRun run;
    if (child.WaitForExit(60000, &run.code) != WaitResult::Exited) {
        child.Kill();
        child.WaitForExit(5000);
    }
    ReadWholeFile(errors, run.errors);
    return run;
}

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
    return names;
}

}  // namespace

TEST(DemoWorldPrepare, TakesOnlyANewOrEmptyFolderThatIsNotTheRoot) {
    ScopedTempFolder temp;
    // An empty build folder: a world the tool takes stops at the missing programs, before
    // anything of the world is deleted or made.
    ASSERT_EQ(mkdir((temp / "build").c_str(), 0700), 0);
    ASSERT_TRUE(WriteWholeFile(temp / "full/keep.txt", "keep"));
    ASSERT_EQ(mkdir((temp / "empty").c_str(), 0700), 0);
    fs::create_directory_symlink("/", temp / "root-link");
    const struct {
        std::string world;
        const char* says;
    } cases[] = {
        {temp / "full", "is not empty"},
        {"/", "the world cannot be /"},
        {temp / "root-link", "the world cannot be /"},
        {temp / "full/..", "is not empty"},
        {temp / "full/keep.txt", "is not a folder"},
        // Taken: the next check is the build's.
        {temp / "empty", "is missing: build the launcher"},
        {temp / "new/world", "is missing: build the launcher"},
    };
    for (const auto& c : cases) {
        const ToolRun run = RunTool(temp, {DEMO_WORLD_PATH, "prepare", temp / "build", c.world});
        EXPECT_EQ(run.code, 1) << c.world;
        EXPECT_NE(run.errors.find(c.says), std::string::npos) << c.world << ": " << run.errors;
    }
    EXPECT_EQ(Entries(temp / "full"), std::vector<std::string>{"keep.txt"});
    EXPECT_EQ(ReadWholeFile(temp / "full/keep.txt"), "keep");
}

TEST(UpdatePublisher, RefusesVersionTextsThatAreNotNamesBeforeWritingAnything) {
    ScopedTempFolder temp;
    ASSERT_TRUE(WriteWholeFile(temp / "tree/bin/game.exe", "game"));
    ASSERT_TRUE(WriteWholeFile(temp / "payload/1.patch", "patch"));
    ASSERT_TRUE(WriteWholeFile(temp / "victim-1.0/keep.txt", "keep"));
    // With this folder in the output, "Patch_x/../../victim-1.0" is a real way out of it.
    ASSERT_TRUE(fs::create_directories(temp / "out/Patch_x"));
    const std::string tree = temp / "tree";
    const std::string payload = temp / "payload";
    const std::vector<std::vector<std::string>> cases = {
        {"--current", "../x", "--tree", "../x=" + tree},
        {"--current", "..", "--tree", "..=" + tree},
        {"--current", "1.0", "--tree", "1.0=" + tree, "--tree", "x/../../victim=" + tree, "--patch",
         "x/../../victim,1.0," + payload},
        {"--current", "1.0", "--tree", "1.0=" + tree, "--tree", "0.9\\..\\x=" + tree, "--patch", "0.9\\..\\x,1.0," + payload},
        {"--current", "1.0\n", "--tree", "1.0\n=" + tree},
    };
    for (const std::vector<std::string>& options : cases) {
        std::vector<std::string> argv = {UPDATE_PUBLISHER_PATH, "--out", temp / "out"};
        argv.insert(argv.end(), options.begin(), options.end());
        const ToolRun run = RunTool(temp, argv);
        EXPECT_EQ(run.code, 2) << options[1];
        EXPECT_NE(run.errors.find("is not a plain name"), std::string::npos) << options[1] << ": " << run.errors;
        EXPECT_EQ(Entries(temp / "out"), std::vector<std::string>{"Patch_x"}) << options[1];
        EXPECT_EQ(ReadWholeFile(temp / "victim-1.0/keep.txt"), "keep") << options[1];
    }
    EXPECT_EQ(Entries(temp.Path()).size(), 5u);  // tree, payload, victim-1.0, out, stderr
}
