#include "VersionFixtures.h"

#include <spawn.h>
#include <sys/wait.h>

#include "engine/gamedata/GameVersion4.h"
#include "engine/gamedata/GameVersion5.h"

extern char** environ;

bool RunVersionWriter(const std::vector<std::string>& arguments) {
    std::vector<std::string> all {VERSION_WRITER_PATH};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return RunProgram(all);
}

bool RunProgram(std::vector<std::string> all) {
    std::vector<char*> argv;
    for (std::string& argument : all) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

RefPtr<Game::IGameVersion> ParseVersion(int format, const std::string& bytes, const std::string& root, int mask) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    if (format == 4) {
        RefPtr<Game::GameVersion4> version(new Game::GameVersion4(String(root.c_str())));
        version->SetFlagsMask(mask);
        return version->Parse(data, bytes.size()) ? RefPtr<Game::IGameVersion>(version.Get()) : nullptr;
    }
    RefPtr<Game::GameVersion5> version(new Game::GameVersion5(String(root.c_str())));
    version->SetPublicKey(SamplePublicKey());
    version->SetFlagsMask(mask);
    return version->Parse(data, bytes.size()) ? RefPtr<Game::IGameVersion>(version.Get()) : nullptr;
}

RefPtr<Game::IGameVersion> LoadVersion(int format, const std::string& root, int mask) {
    const String rootText(root.c_str());
    const String fileName("Profiles/game.version");
    if (format == 4) return Game::GameVersion4::Load(rootText, fileName, mask);
    const ByteVector key = SamplePublicKey();
    return Game::GameVersion5::Load(rootText, fileName, mask, &key);
}

VersionWriter::Model OneFileModel(const std::string& folder, const std::string& file) {
    VersionWriter::Model model;
    model.version = "5.2.17";
    VersionWriter::FileEntry entry;
    entry.name = file;
    VersionWriter::FillHashes("payload", entry);
    model.folders.push_back(VersionWriter::FolderEntry {folder, {entry}});
    return model;
}
