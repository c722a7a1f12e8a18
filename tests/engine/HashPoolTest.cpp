// The pool of hashing threads: the codes it hands back, and the version check that runs
// on it, are those of one thread checking the list in order, for both generations.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "SpreadTree.h"
#include "engine/checks/HashPool.h"
#include "engine/gamedata/CRCChecker4.h"
#include "engine/gamedata/CRCChecker5.h"
#include "engine/gamedata/GameVersion.h"

namespace {

Game::CheckerFactory FactoryOf(int format) {
    return format == 4 ? &Game::CRCChecker4::Create : &Game::CRCChecker5::Create;
}

// Every content of the version, relative path and code, as the pool hands them back.
std::vector<std::pair<std::string, int>> PoolCodes(const SpreadTree& tree, bool forceHash, unsigned threads) {
    RefPtr<Game::IGameVersion> version = tree.Version();
    std::vector<Game::HashPool::Job> jobs;
    std::vector<std::string> names;
    for (const RefPtr<Game::GameFolder>& folder : version->GetFolders()) {
        for (const RefPtr<Game::GameFolder::Content>& content : folder->contents) {
            jobs.push_back({String(tree.Tree().Path().c_str()) + folder->name, content.Get(), forceHash});
            names.push_back((folder->name + content->name).Std().substr(1));
        }
    }
    Game::HashPool pool(std::move(jobs), FactoryOf(tree.Format()), nullptr, threads);
    std::vector<std::pair<std::string, int>> codes;
    for (std::size_t i = 0; i < names.size(); ++i) {
        int code = -1;
        EXPECT_TRUE(pool.Result(i, code));
        codes.push_back({names[i], code});
    }
    return codes;
}

// The version check as one thread walking the list with one checker.
int ReferenceCheck(const SpreadTree& tree, Game::IGameVersion& version, std::string& outPath, bool onlyFlagged) {
    RefPtr<Game::ICRCChecker> checker = FactoryOf(tree.Format())();
    for (const RefPtr<Game::GameFolder>& folder : version.GetFolders()) {
        const String folderPath = String(tree.Tree().Path().c_str()) + folder->name;
        if (!std::filesystem::is_directory(folderPath.Std())) {
            outPath = folder->name.Std();
            return Game::kFolderMissing;
        }
        for (const RefPtr<Game::GameFolder::Content>& content : folder->contents) {
            if (onlyFlagged && tree.Format() == 5 && (content->Flags() & Game::kMinimalSet) == 0) continue;
            const int code = checker->Check(folderPath, content.Get());
            if (code != Game::kCheckOk) {
                outPath = (folderPath + content->name).Std();
                return code;
            }
        }
    }
    return Game::kCheckOk;
}

}  // namespace

TEST(HashPool, CodesAreThoseOfOneThreadForBothGenerations) {
    for (int format : {4, 5}) {
        SpreadTree tree(format);
        for (bool forceHash : {false, true}) {
            SCOPED_TRACE(testing::Message() << "format " << format << ", forced hash " << forceHash);
            const auto reference = PoolCodes(tree, forceHash, 1);
            for (unsigned threads : {2u, 8u}) EXPECT_EQ(PoolCodes(tree, forceHash, threads), reference) << threads;
            if (!forceHash) continue;
            // With the hash forced on, exactly the damaged files fail, with their codes.
            std::vector<std::pair<std::string, int>> failed;
            for (const auto& entry : reference) {
                if (entry.second != Game::kCheckOk) failed.push_back(entry);
            }
            EXPECT_EQ(failed, tree.Damaged());
        }
    }
}

TEST(HashPool, PooledVersionCheckFindsTheFirstFailureInListOrder) {
    constexpr std::size_t kMendedPerStep = 6;
    for (int format : {4, 5}) {
        SCOPED_TRACE(testing::Message() << "format " << format);
        SpreadTree tree(format);
        // A missing folder ends the list: damaged files behind it never count.
        std::filesystem::remove_all(tree.Tree() / "set4");
        RefPtr<Game::IGameVersion> version = tree.Version();
        ASSERT_GE(static_cast<std::size_t>(version->GetContentCount()), Game::kPooledFrom);
        const auto& damaged = tree.Damaged();
        // The first failure moves through the list as the damage before it is mended.
        for (std::size_t mended = 0;; mended += kMendedPerStep) {
            for (std::size_t i = mended - std::min(mended, kMendedPerStep); i < mended && i < damaged.size(); ++i) {
                if (damaged[i].first.rfind("set4/", 0) != 0) tree.Repair(damaged[i].first);
            }
            for (bool onlyFlagged : {false, true}) {
                String pooled("untouched");
                std::string reference("untouched");
                const int code = version->Check(pooled, onlyFlagged);
                EXPECT_EQ(code, ReferenceCheck(tree, *version, reference, onlyFlagged)) << mended << onlyFlagged;
                EXPECT_EQ(pooled.Std(), reference) << mended << onlyFlagged;
                if (mended >= damaged.size()) {
                    EXPECT_EQ(code, Game::kFolderMissing);
                    EXPECT_EQ(pooled.Std(), "/set4/");
                }
            }
            if (mended >= damaged.size()) break;
        }
    }
}
