#include "SpreadTree.h"

#include <sys/stat.h>

#include <filesystem>

#include "VersionFixtures.h"
#include "engine/gamedata/CRCChecker5.h"

namespace {

constexpr int kFolders = 6;
constexpr int kFilesPerFolder = 40;
// Every this many files one is damaged, the kind of damage going round.
constexpr int kDamageEvery = 7;

enum Damage { kLonger, kFirstByte, kMiddleByte, kRemoved, kFolderInstead, kPipeInstead, kDamageKinds };

std::size_t PlannedSize(int index) {
    if (index == kFolders * kFilesPerFolder - 1) return 3u << 20;  // the list ends with a large file
    // Large files at odd places: the version check's flags leave their whole hash to the full check.
    if (index % 38 == 5) return (1u << 20) + 12345u * static_cast<unsigned>(index % 4);  // more than one read piece
    if (index % 29 == 3) return 0;
    if (index == 11) return Game::CRCChecker5::kQuickWhole;
    if (index == 12) return Game::CRCChecker5::kQuickWhole + 1;
    return 2 + (static_cast<std::size_t>(index) * 7919u) % 40000u;
}

// Flag bit 0 on every other file, bit 1 on two files of three.
std::uint8_t PlannedFlags(int index) {
    return static_cast<std::uint8_t>((index % 2 == 0 ? Game::kCompareHash : 0) | (index % 3 != 0 ? Game::kMinimalSet : 0));
}

}  // namespace

SpreadTree::SpreadTree(int format) : format_(format) {
    VersionWriter::Model model;
    model.version = "7.1";
    int index = 0;
    for (int f = 0; f < kFolders; ++f) {
        const std::string folder = f == 0 ? "/" : "/set" + std::to_string(f) + "/";
        model.folders.push_back({folder, {}});
        for (int i = 0; i < kFilesPerFolder; ++i, ++index) {
            const std::string name = "file" + std::to_string(index) + ".dat";
            files_.push_back({folder.substr(1) + name, PatternBytes(PlannedSize(index), index)});
            model.folders.back().files.push_back(ListedFile(name, files_.back().bytes, PlannedFlags(index)));
            tree_.WriteFile(files_.back().relative, files_.back().bytes);
        }
    }
    versionBytes_ = format == 4 ? VersionWriter::Compose(model, 4, 9, "") : SignedVersionFile(model);
    int kind = 0;
    for (std::size_t i = 3; i < files_.size(); i += kDamageEvery) {
        if (files_[i].bytes.size() < 2) continue;
        Damage(files_[i], kind++ % kDamageKinds);
    }
    Damage(files_.back(), kMiddleByte);
}

void SpreadTree::Damage(const Planned& file, int kind) {
    const std::string path = tree_ / file.relative;
    std::string bytes = file.bytes;
    int code = 3;
    switch (kind) {
        case kLonger:
            tree_.WriteFile(file.relative, bytes + "x");
            code = 4;
            break;
        case kFirstByte:
            bytes[0] ^= 1;
            tree_.WriteFile(file.relative, bytes);
            code = format_ == 5 ? 4 : 5;
            break;
        case kMiddleByte:
            bytes[bytes.size() / 2] ^= 1;
            tree_.WriteFile(file.relative, bytes);
            // Only the whole-file hash sees the middle of a file past the quick digest's reach.
            code = format_ == 5 && bytes.size() <= Game::CRCChecker5::kQuickWhole ? 4 : 5;
            break;
        case kRemoved:
            std::filesystem::remove(path);
            break;
        case kFolderInstead:
            std::filesystem::remove(path);
            std::filesystem::create_directory(path);
            break;
        case kPipeInstead:
            std::filesystem::remove(path);
            ::mkfifo(path.c_str(), 0600);
            break;
    }
    damaged_.push_back({file.relative, code});
}

void SpreadTree::Repair(const std::string& relative) const {
    for (const Planned& file : files_) {
        if (file.relative != relative) continue;
        std::filesystem::remove(tree_ / relative);
        tree_.WriteFile(relative, file.bytes);
    }
}

RefPtr<Game::IGameVersion> SpreadTree::Version() const { return ParseVersion(format_, versionBytes_, tree_.Path()); }
