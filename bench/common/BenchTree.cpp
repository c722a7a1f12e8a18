#include "BenchTree.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "GameTreeScan.h"
#include "VersionFileWriter.h"
#include "engine/gamedata/GameVersion5.h"

namespace BenchTree {
namespace {

constexpr int kPacks = 5;
constexpr std::uint64_t kPackSize = 200ull << 20;
constexpr int kSmallFiles = kFileCount - kPacks;
constexpr int kFolders = 300;
constexpr std::uint64_t kTreeSize = 2ull << 30;
const char* const kVersionFile = "Profiles/game.version";

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

}  // namespace

const char* const kFileList = "Profiles/files.list";

std::optional<Tree> Open(int argc, char** argv) {
    const char* temp = std::getenv("TMPDIR");
    Tree tree;
    tree.root = argc > 1 ? argv[1] : std::string(temp && *temp ? temp : "/tmp") + "/launcher-fullcheck-bench";
    if (tree.root.back() != '/') tree.root += '/';
    tree.version = LoadTree(tree.root);
    if (!tree.version || tree.version->GetContentCount() != kFileCount) {
        if (!MakeTree(tree.root) || !(tree.version = LoadTree(tree.root))) {
            std::fprintf(stderr, "could not make the tree in %s\n", tree.root.c_str());
            return std::nullopt;
        }
    }
    for (const RefPtr<Game::GameFolder>& folder : tree.version->GetFolders()) {
        for (const RefPtr<Game::GameFolder::Content>& content : folder->contents) {
            tree.paths.push_back(tree.root + folder->name.Std().substr(1) + content->name.Std());
            tree.bytes += content->size;
        }
    }
    return tree;
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

}  // namespace BenchTree
