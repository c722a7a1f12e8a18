#include "PatchApplier.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

#include "SamplePatch.h"
#include "base/io/FileStream.h"
#include "base/io/ZipArchive.h"
#include "base/runtime/StrUtil.h"
#include "engine/gamedata/CreateGameVersion.h"
#include "engine/gamedata/GameVersion5.h"
#include "platform/posix/FileMapping.h"

namespace SampleApplier {
namespace {

constexpr char kVersionFile[] = "Profiles/game.version";

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

std::string VersionOf(const std::string& root, const std::string& file) {
    RefPtr<Game::IGameVersion> version =
        Game::CreateGameVersion(Game::GameVersionFormat, String(root.c_str()), String(file.c_str()), 0);
    return version ? StrUtil::ToNarrow(version->GetVersion()).Std() : std::string();
}

bool IsProgram(const std::string& path) {
    if (path.size() < 4) return false;
    std::string suffix = path.substr(path.size() - 4);
    for (char& c : suffix) c = StrUtil::ToLower(c);
    return suffix == ".exe";
}

// The staged files and created folders of one entry, undone unless committed.
class Stage {
public:
    explicit Stage(std::string root) : root_(std::move(root)) {}
    ~Stage() {
        if (!committed_) Discard();
    }

    bool Put(const std::string& relative, const std::uint8_t* data, std::size_t size, std::string& error) {
        const std::string target = root_ + relative;
        if (!MakeParents(relative, error)) return false;
        const std::string temp = target + kStagedSuffix;
        struct stat existing {};
        const mode_t mode = ::stat(target.c_str(), &existing) == 0 ? (existing.st_mode & 07777)
                            : IsProgram(relative)                   ? 0755
                                                                    : 0644;
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, mode);
        if (fd < 0) {
            error = SystemError("cannot create " + temp);
            return false;
        }
        staged_[target] = temp;
        const bool written = Posix::WriteAll(fd, data, size) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
        const bool closed = ::close(fd) == 0;
        if (!written || !closed) {
            error = SystemError("cannot write " + temp);
            return false;
        }
        return true;
    }

    // Renames every staged file into place; the first failure stops with a reason.
    bool Commit(std::string& error) {
        committed_ = true;
        for (const auto& [target, temp] : staged_) {
            if (::rename(temp.c_str(), target.c_str()) != 0) {
                error = SystemError("cannot move " + temp + " into place");
                return false;
            }
        }
        return true;
    }

private:
    bool MakeParents(const std::string& relative, std::string& error) {
        for (std::size_t slash = relative.find('/'); slash != std::string::npos; slash = relative.find('/', slash + 1)) {
            const std::string folder = root_ + relative.substr(0, slash);
            if (::mkdir(folder.c_str(), 0755) == 0) {
                created_.push_back(folder);
            } else if (errno != EEXIST) {
                error = SystemError("cannot create the folder " + folder);
                return false;
            }
        }
        return true;
    }

    void Discard() {
        for (const auto& [target, temp] : staged_) ::unlink(temp.c_str());
        for (auto folder = created_.rbegin(); folder != created_.rend(); ++folder) ::rmdir(folder->c_str());
    }

    std::string root_;
    std::map<std::string, std::string> staged_;  // target -> temporary file
    std::vector<std::string> created_;
    bool committed_ = false;
};

// Reads one patch file and stages its files; the manifest lands in manifest.
bool StagePatch(const std::string& path, const std::string& from, const std::string& to, Stage& stage,
                SamplePatch::Manifest& manifest, std::string& error) {
    RefPtr<NVFS::ZipArchive> archive(new NVFS::ZipArchive(String(path.c_str())));
    std::map<std::string, std::size_t> entries;
    for (std::size_t index = 0; index < archive->GetEntryCount(); ++index) {
        String name;
        if (archive->GetEntryName(index, name)) entries[name.Std()] = index;
    }
    const auto manifestEntry = entries.find(SamplePatch::kManifestName);
    if (manifestEntry == entries.end()) {
        error = path + " is not a sample patch (no manifest)";
        return false;
    }
    RefPtr<CDataStream> text = archive->OpenEntry(manifestEntry->second);
    if (!text) {
        error = path + ": the manifest is damaged";
        return false;
    }
    std::string reason;
    if (!SamplePatch::Parse(std::string(reinterpret_cast<const char*>(text->Data()), text->Size()), manifest, reason)) {
        error = path + ": " + reason;
        return false;
    }
    if (manifest.from != from || manifest.to != to) {
        error = path + " leads from " + manifest.from + " to " + manifest.to + ", not from " + from + " to " + to;
        return false;
    }
    for (const SamplePatch::PutFile& put : manifest.puts) {
        const auto entry = entries.find(SamplePatch::kFilesFolder + put.path);
        RefPtr<CDataStream> content = entry == entries.end() ? nullptr : archive->OpenEntry(entry->second);
        if (!content) {
            error = path + ": the content of " + put.path + " is missing or damaged";
            return false;
        }
        const std::string bytes(reinterpret_cast<const char*>(content->Data()), content->Size());
        if (bytes.size() != put.size || SamplePatch::Crc32(bytes) != put.crc) {
            error = path + ": the content of " + put.path + " does not match its size or checksum";
            return false;
        }
        if (!stage.Put(put.path, content->Data(), content->Size(), error)) return false;
    }
    return true;
}

bool ReadFileBytes(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return in.good() || in.eof();
}

}  // namespace

std::string InstalledVersion(const std::string& root) { return VersionOf(root, kVersionFile); }

bool ApplyEntry(const std::string& root, const PlanEntry& entry, const Log& log, std::string& error) {
    const std::string installed = InstalledVersion(root);
    if (installed.empty()) {
        error = "the installed version file " + root + kVersionFile + " is missing or not valid";
        return false;
    }
    const std::string target = VersionOf("", entry.versionFile);
    if (target.empty()) {
        error = "the version file " + entry.versionFile + " is missing, not valid or not signed";
        return false;
    }
    if (entry.patchFiles.empty()) {
        error = "the entry for " + target + " has no patch file";
        return false;
    }
    std::string versionBytes;
    if (!ReadFileBytes(entry.versionFile, versionBytes)) {
        error = "cannot read " + entry.versionFile;
        return false;
    }
    log("patching " + installed + " -> " + target);
    Stage stage(root);
    std::vector<std::string> removes;
    for (const std::string& path : entry.patchFiles) {
        SamplePatch::Manifest manifest;
        if (!StagePatch(path, installed, target, stage, manifest, error)) return false;
        log("  " + path + ": " + std::to_string(manifest.puts.size()) + " files to write, " +
            std::to_string(manifest.removes.size()) + " to remove");
        removes.insert(removes.end(), manifest.removes.begin(), manifest.removes.end());
    }
    if (!stage.Commit(error)) return false;
    for (const std::string& relative : removes) {
        const std::string path = root + relative;
        if (::unlink(path.c_str()) != 0 && errno != ENOENT) log("  cannot remove " + path + ": " + std::strerror(errno));
    }
    if (!WriteFileReplacing(String((root + kVersionFile).c_str()), versionBytes.data(), versionBytes.size())) {
        error = "cannot install the version file of " + target;
        return false;
    }
    log("  installed version " + target);
    return true;
}

bool ApplyPlan(const std::string& root, const std::vector<PlanEntry>& plan, const Log& log, std::string& error) {
    for (const PlanEntry& entry : plan)
        if (!ApplyEntry(root, entry, log, error)) return false;
    return true;
}

}  // namespace SampleApplier
