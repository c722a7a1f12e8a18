// The repair worker over a temporary game tree and download folder, against a recording
// listener: files placed byte for byte, the codes the list ends with, the locked-file
// question (a non-empty folder where the file goes fails every rename and copy, also
// for root), a full disk, downloads that must not be placed (among them bytes that are
// not what the signed version file's record lists), links where the download folder
// or a downloaded file should be, and a stop at a gate.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "engine/checks/RepairThread.h"
#include "support/TempDir.h"
#include "support/versions/SignedVersions.h"
#include "workflow/repair/Rip.h"

namespace {

using namespace std::chrono_literals;

class RecordingRepairer final : public IRepairer {
public:
    explicit RecordingRepairer(std::string gameFolder) : gameFolder_(std::move(gameFolder)) {}

    // Answers a question; the worker's thread runs it. Unset: give up.
    std::function<bool(const std::string& source, const std::string& target)> answer;

    WideString GetGameFolder() override { return WideString(String(gameFolder_.c_str())); }
    void SetProgress(std::uint8_t percent) override { Record("progress " + std::to_string(percent)); }
    void SetSuccess() override { Record("success"); }
    void SetFailed(int code) override { Record("failed " + std::to_string(code)); }
    bool AskLockedFile(const WideString& source, const WideString& target) override {
        const std::string s = String(source).Std(), t = String(target).Std();
        Record("ask " + s.substr(s.rfind('/') + 1));
        questions.push_back({s, t});
        return answer && answer(s, t);
    }

    bool WaitForReport() {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, 20s, [&] { return reported_; });
    }
    std::vector<std::string> Events() {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_;
    }

    std::vector<std::pair<std::string, std::string>> questions;  // worker thread only, read after the report

private:
    void Record(const std::string& event) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            events_.push_back(event);
            if (event == "success" || event.rfind("failed", 0) == 0) reported_ = true;
        }
        changed_.notify_all();
    }

    std::string gameFolder_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> events_;
    bool reported_ = false;
};

struct Entry {
    std::string path;
    std::string serverBytes;  // what the download folder holds, and the entry's size and record
    int code = 5;
};

// A table case's own game and download folders, the repairer hearing the worker, and
// the list of what was downloaded.
struct RepairCase {
    TempDir folder;
    RecordingRepairer listener{folder / "game/"};
    RefPtr<Rip> rip{new Rip()};

    RefPtr<RipPatch> Job() const {
        return RefPtr<RipPatch>(new RipPatch(rip.Get(), WideString(String((folder / "Patches/rip/").c_str()))));
    }
    // Runs the worker to its report; false when it did not start or did not report.
    bool Repair(RipPatch* job, DiskSpaceChecker::FreeBytes free = DiskSpaceChecker::MeasureFreeBytes) {
        RefPtr<RepairThread> worker(new RepairThread(&listener, job, std::move(free)));
        return worker->Start() && listener.WaitForReport();
    }
};

class RepairThreadTest : public ::testing::Test {
protected:
    // The downloaded files under Patches/rip/, the list naming them with their records.
    RefPtr<RipPatch> Job(const std::vector<Entry>& entries) {
        RefPtr<Rip> rip(new Rip());
        for (const Entry& entry : entries) {
            rip->Append(WideString(String(entry.path.c_str())), static_cast<std::uint32_t>(entry.serverBytes.size()),
                        entry.code, VersionRecord(entry.serverBytes).Get());
            std::string downloaded = entry.path;
            for (char& c : downloaded)
                if (c == '\\') c = '/';
            if (!entry.serverBytes.empty() && downloaded.find("..") == std::string::npos && downloaded[0] != '/')
                tree.WriteFile("Patches/rip/" + downloaded, entry.serverBytes);
        }
        return RefPtr<RipPatch>(new RipPatch(rip.Get(), WideString(String(DownloadFolder().c_str()))));
    }
    std::string DownloadFolder() const { return tree / "Patches/rip/"; }

    // Runs the worker to its report.
    void Repair(RipPatch* job, DiskSpaceChecker::FreeBytes free = DiskSpaceChecker::MeasureFreeBytes) {
        RefPtr<RepairThread> worker(new RepairThread(&repairer, job, std::move(free)));
        ASSERT_TRUE(worker->Start());
        EXPECT_FALSE(worker->Start());
        ASSERT_TRUE(repairer.WaitForReport());
    }

    std::vector<int> Codes(RipPatch& job) const {
        std::vector<int> codes;
        for (const RipEntry& entry : job.GetRip()->entries) codes.push_back(entry.code);
        return codes;
    }

    TempDir tree;
    RecordingRepairer repairer{tree / "game/"};
};

TEST_F(RepairThreadTest, PutsEveryDownloadedFileInPlaceAndRemovesTheDownloadFolder) {
    tree.WriteFile("game/bin/a.dll", "old code");
    ASSERT_EQ(chmod((tree / "game/bin/a.dll").c_str(), 0444), 0);  // read-only is replaced too
    tree.WriteFile("game/bin/empty.txt", "was not empty");
    const RefPtr<RipPatch> job = Job({{"bin/a.dll", "new code"},
                                      {"data/x.pak", std::string(300000, 'x'), 3},  // missing
                                      {"new/sub/f.bin", "in a folder that is missing", 3},
                                      {"bin/empty.txt", "", 4},
                                      {"data\\y.pak", "backslashes", 3}});
    Repair(job.Get());

    EXPECT_EQ(repairer.Events(), (std::vector<std::string>{"progress 0", "progress 20", "progress 40", "progress 60",
                                                           "progress 80", "success"}));
    EXPECT_EQ(tree.ReadFile("game/bin/a.dll"), "new code");
    EXPECT_EQ(tree.ReadFile("game/data/x.pak"), std::string(300000, 'x'));
    EXPECT_EQ(tree.ReadFile("game/new/sub/f.bin"), "in a folder that is missing");
    EXPECT_TRUE(tree.Exists("game/bin/empty.txt"));
    EXPECT_EQ(tree.FileSize("game/bin/empty.txt"), 0);
    EXPECT_EQ(tree.ReadFile("game/data/y.pak"), "backslashes");
    // The empty file keeps what the check said of it.
    EXPECT_EQ(Codes(*job), (std::vector<int>{0, 0, 0, 4, 0}));
    EXPECT_FALSE(tree.Exists("Patches/rip"));
    EXPECT_TRUE(repairer.questions.empty());
}

TEST_F(RepairThreadTest, ALockedFileIsAskedAboutUntilItCanBePlaced) {
    tree.WriteFile("game/bin/locked.dll/keep", "a folder where the file goes");
    const RefPtr<RipPatch> job = Job({{"bin/locked.dll", "fresh"}, {"bin/after.dll", "after"}});
    int asked = 0;
    repairer.answer = [&](const std::string&, const std::string& target) {
        // The second time, the user has closed what held the file.
        if (++asked == 2) std::filesystem::remove_all(target);
        return true;
    };
    Repair(job.Get());

    EXPECT_EQ(repairer.Events(), (std::vector<std::string>{"ask locked.dll", "ask locked.dll", "progress 0",
                                                           "progress 50", "success"}));
    ASSERT_EQ(repairer.questions.size(), 2u);
    EXPECT_EQ(repairer.questions[0].first, DownloadFolder() + "bin/locked.dll");
    EXPECT_EQ(repairer.questions[0].second, tree / "game/bin/locked.dll");
    EXPECT_EQ(tree.ReadFile("game/bin/locked.dll"), "fresh");
    EXPECT_EQ(tree.ReadFile("game/bin/after.dll"), "after");
    EXPECT_EQ(Codes(*job), (std::vector<int>{0, 0}));
}

TEST_F(RepairThreadTest, FailuresEndTheRepairWithTheirCodeAndLeaveLaterEntriesAlone) {
    const std::uint64_t noSpace = 0;
    const struct {
        const char* name;
        std::vector<Entry> entries;
        bool fullDisk;
        std::string failure;
        std::size_t questions;
    } cases[] = {
        {"the user gives up on a locked file", {{"bin/locked.dll", "fresh"}, {"bin/after.dll", "after"}}, false,
         "failed 3", 1},
        {"a locked file on a full disk", {{"bin/locked.dll", "fresh"}, {"bin/after.dll", "after"}}, true, "failed 2", 0},
        {"an empty file that cannot be made", {{"bin/locked.dll", ""}, {"bin/after.dll", "after"}}, false, "failed 3", 0},
        {"a download of another size", {{"bin/short.dll", "fresh"}, {"bin/after.dll", "after"}}, false, "failed 4", 0},
        {"a download that is missing", {{"bin/gone.dll", "fresh"}, {"bin/after.dll", "after"}}, false, "failed 4", 0},
        {"a path that leaves the game", {{"../outside.dll", "fresh"}, {"bin/after.dll", "after"}}, false, "failed 4", 0},
        {"an absolute path", {{"/tmp/outside.dll", "fresh"}, {"bin/after.dll", "after"}}, false, "failed 4", 0},
        {"a parent path behind backslashes", {{"bin\\..\\..\\outside.dll", "fresh"}, {"bin/after.dll", "after"}}, false,
         "failed 4", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RepairCase one;
        auto& [folder, listener, rip] = one;
        folder.WriteFile("game/bin/locked.dll/keep", "a folder where the file goes");
        for (const Entry& entry : c.entries) {
            rip->Append(WideString(String(entry.path.c_str())), static_cast<std::uint32_t>(entry.serverBytes.size()), 5,
                        VersionRecord(entry.serverBytes).Get());
            if (entry.path.find("..") == std::string::npos && entry.path[0] != '/' && entry.path != "bin/gone.dll")
                folder.WriteFile("Patches/rip/" + entry.path, entry.path == "bin/short.dll" ? "fres" : entry.serverBytes);
        }
        const RefPtr<RipPatch> job = one.Job();
        DiskSpaceChecker::FreeBytes free = DiskSpaceChecker::MeasureFreeBytes;
        if (c.fullDisk) free = [&](const String&, std::uint64_t& bytes) { return bytes = noSpace, true; };
        ASSERT_TRUE(one.Repair(job.Get(), free));
        EXPECT_EQ(listener.Events().back(), c.failure);
        EXPECT_EQ(listener.questions.size(), c.questions);
        EXPECT_EQ(rip->entries[0].code, 5);
        EXPECT_EQ(rip->entries[1].code, 5);
        EXPECT_FALSE(folder.Exists("game/bin/after.dll"));
        EXPECT_FALSE(folder.Exists("game/bin/short.dll"));
        EXPECT_FALSE(folder.Exists("outside.dll"));
        EXPECT_FALSE(folder.Exists("Patches/rip"));
        EXPECT_TRUE(folder.Exists("game/bin/locked.dll/keep"));
    }
}

// The repair torrent is not signed: a server can hand any bytes of the right size.
TEST_F(RepairThreadTest, ADownloadThatIsNotTheListedFileIsNotPlacedAndEndsTheRepair) {
    const std::string genuine = std::string(20000, 'g') + std::string(60000, 'm') + std::string(20000, 't');
    std::string forgedMiddle = genuine;
    forgedMiddle[50000] = 'X';  // the quick digest (head and tail) cannot see it
    const struct {
        const char* name;
        std::string forged;
        bool wholeDigestListed;  // the record's flags ask for the whole file's digest
        bool recorded;
    } cases[] = {
        {"other bytes of the right size", std::string(genuine.size(), 'z'), true, true},
        {"another middle behind the same head and tail", forgedMiddle, true, true},
        {"another middle, of a record that asks only for the quick digest", forgedMiddle, false, true},
        {"the genuine bytes of an entry that no version file lists", genuine, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RepairCase one;
        auto& [folder, listener, rip] = one;
        folder.WriteFile("game/bin/bad.dll", "the game's own, damaged");
        const std::vector<std::pair<std::string, std::string>> files = {
            {"bin/good.dll", "good"}, {"bin/bad.dll", genuine}, {"bin/after.dll", "after"}};
        for (const auto& [path, bytes] : files) {
            RefPtr<Game::GameFolder::Content> record = VersionRecord(bytes);
            if (path == "bin/bad.dll") {
                if (!c.wholeDigestListed) record->SetFlags(0);
                if (!c.recorded) record = nullptr;
            }
            rip->Append(WideString(String(path.c_str())), static_cast<std::uint32_t>(bytes.size()), 5, record.Get());
            folder.WriteFile("Patches/rip/" + path, path == "bin/bad.dll" ? c.forged : bytes);
        }
        const RefPtr<RipPatch> job = one.Job();
        ASSERT_TRUE(one.Repair(job.Get()));
        EXPECT_EQ(listener.Events().back(), "failed 4");
        EXPECT_EQ(folder.ReadFile("game/bin/good.dll"), "good");
        EXPECT_TRUE(folder.ReadFile("game/bin/bad.dll") == "the game's own, damaged");
        EXPECT_FALSE(folder.Exists("game/bin/after.dll"));
        EXPECT_EQ(Codes(*job), (std::vector<int>{0, 5, 5}));
        EXPECT_FALSE(folder.Exists("Patches/rip"));
    }
}

TEST_F(RepairThreadTest, ALinkWhereADownloadedFileShouldBeIsNotPlaced) {
    TempDir outside;
    outside.WriteFile("a.dll", "fresh");
    const RefPtr<RipPatch> job = Job({{"bin/a.dll", "fresh"}});
    ASSERT_TRUE(std::filesystem::remove(tree / "Patches/rip/bin/a.dll"));
    std::filesystem::create_symlink(outside / "a.dll", tree / "Patches/rip/bin/a.dll");
    Repair(job.Get());

    EXPECT_EQ(repairer.Events().back(), "failed 4");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(tree / "game/bin/a.dll")));
    EXPECT_EQ(outside.ReadFile("a.dll"), "fresh");
}

// The launcher may run as root in a game folder the player writes: a link planted in
// the place of one of the target's folders must not carry the file to where it points.
TEST_F(RepairThreadTest, ALinkInThePlaceOfAGameFolderFailsTheEntryAndWhatItNamesIsLeftAlone) {
    const struct {
        const char* name;
        const char* link;  // the game folder a link takes the place of
        std::string bytes;  // empty: the entry is made in place, nothing is downloaded
    } cases[] = {
        {"a link as the first folder", "bin", "fresh"},
        {"a link deeper down", "bin/plugins", "fresh"},
        {"an empty file behind a link", "bin/plugins", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir folder;
        TempDir outside;
        outside.WriteFile("canary/keep.txt", "canary");
        RecordingRepairer listener(folder / "game/");
        const std::string link = folder / (std::string("game/") + c.link);
        std::filesystem::create_directories(link);
        std::filesystem::remove(link);
        std::filesystem::create_directory_symlink(outside / "canary", link);
        RefPtr<Rip> rip(new Rip());
        for (const std::string path : {"bin/plugins/a.dll", "bin/after.dll"}) {
            const std::string bytes = path == "bin/after.dll" ? "after" : c.bytes;
            rip->Append(WideString(String(path.c_str())), static_cast<std::uint32_t>(bytes.size()), 5,
                        VersionRecord(bytes).Get());
            if (!bytes.empty()) folder.WriteFile("Patches/rip/" + path, bytes);
        }
        RefPtr<RipPatch> job(new RipPatch(rip.Get(), WideString(String((folder / "Patches/rip/").c_str()))));
        {
            RefPtr<RepairThread> worker(new RepairThread(&listener, job.Get()));
            ASSERT_TRUE(worker->Start());
            ASSERT_TRUE(listener.WaitForReport());
        }

        EXPECT_EQ(listener.Events().back(), "failed 3");
        EXPECT_TRUE(listener.questions.empty());
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(outside / "canary"))
            found.push_back(std::filesystem::relative(entry.path(), outside / "canary").string());
        EXPECT_EQ(found, std::vector<std::string>{"keep.txt"});
        EXPECT_EQ(outside.ReadFile("canary/keep.txt"), "canary");
        EXPECT_TRUE(std::filesystem::is_symlink(link));
        EXPECT_EQ(Codes(*job), (std::vector<int>{5, 5}));
        EXPECT_FALSE(folder.Exists("game/bin/after.dll"));
    }
}

TEST_F(RepairThreadTest, AStopAtAGateIsAFailure) {
    const RefPtr<RipPatch> job = Job({{"bin/a.dll", "new"}, {"bin/b.dll", "new"}});
    {
        RefPtr<RepairThread> worker(new RepairThread(&repairer, job.Get()));
        worker->SetPaused(true);
        ASSERT_TRUE(worker->Start());
    }  // released while it waits at its first gate
    ASSERT_TRUE(repairer.WaitForReport());
    EXPECT_EQ(repairer.Events(), std::vector<std::string>{"failed 3"});
    EXPECT_FALSE(tree.Exists("game/bin/a.dll"));
    EXPECT_EQ(Codes(*job), (std::vector<int>{5, 5}));
}

TEST_F(RepairThreadTest, ALinkInThePlaceOfTheDownloadFolderIsRemovedAndWhatItNamesIsLeft) {
    TempDir outside;
    outside.WriteFile("canary/keep.txt", "canary");
    std::filesystem::create_directories(tree / "Patches");
    std::filesystem::create_directory_symlink(outside / "canary", tree / "Patches/rip");
    const RefPtr<RipPatch> job = Job({{"bin/gone.dll", ""}});
    job->GetRip()->entries[0].size = 5;  // its download is missing
    Repair(job.Get());

    EXPECT_EQ(repairer.Events().back(), "failed 4");
    EXPECT_EQ(outside.ReadFile("canary/keep.txt"), "canary");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(tree / "Patches/rip")));
}

TEST(ConfinedEntryPath, KeepsEntriesInsideTheGameFolder) {
    const struct {
        const char16_t* path;
        const char* confined;
    } cases[] = {
        {u"bin/a.dll", "bin/a.dll"},   {u"bin\\a.dll", "bin/a.dll"},  {u"data/..x/a", "data/..x/a"},
        {u"", ""},                     {u"../a.dll", ""},             {u"bin/../../a", ""},
        {u"bin\\..\\a", ""},           {u"/etc/passwd", ""},          {u"\\etc\\passwd", ""},
        {u"bin/a\nb", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ConfinedEntryPath(WideString(c.path)).Std(), c.confined) << String(WideString(c.path)).Std();
}

}  // namespace
