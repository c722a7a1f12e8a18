// update_publisher: writes an update server's folder from sample game trees, for the
// tests and the demo. See Usage() for the command line and the folder it writes.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "GameTreeScan.h"
#include "TorrentMaker.h"
#include "VersionFileWriter.h"
#include "base/io/FileStream.h"
#include "base/io/Path.h"
#include "base/xml/ObjectRef.h"
#include "base/xml/XMLChunkSaver.h"
#include "base/xml/XMLOutput.h"
#include "engine/servers/CurrentVersion.h"
#include "engine/servers/PatchesTree.h"

namespace fs = std::filesystem;

namespace {

int Usage() {
    std::fprintf(stderr,
        "usage: update_publisher --out DIR --current VERSION --tree VERSION=DIR... [options]\n"
        "\n"
        "Writes an update server's folder DIR, to be served over HTTP as it is:\n"
        "  CurrentVersion.xdb       the current version (--current), the future one on offer\n"
        "                           (--prepatch) and the launcher's (--launcher-version)\n"
        "  PatchesHistory.xdb       every --tree version in the order given, each with its patches\n"
        "  patches/FROM-TO.torrent  one torrent per --patch, of the folder Patch_FROM-TO/ beside it:\n"
        "                           game.version (the signed version file of TO's tree), the applier\n"
        "                           (--applier, as VaraRurezod.exe) and the files of the patch's PAYLOAD\n"
        "                           folder (its .patch files; their content is the caller's)\n"
        "  rip/Rip_CURRENT.torrent  the repair torrent of the folder Rip_CURRENT/, a copy of the\n"
        "                           current version's tree\n"
        "  versions/CURRENT/game.version  the current version's signed version file\n"
        "  Launcher.torrent         with --launcher-tree: the folder Launcher/, a copy of that tree\n"
        "The torrents are v1 with 16 KiB pieces; their files lie in DIR too, so that DIR served at\n"
        "URL is also their web seed (--web-seed URL).\n"
        "\n"
        "options:\n"
        "  --tree VERSION=DIR         a sample game tree of that version (repeatable)\n"
        "  --patch FROM,TO,PAYLOAD[,weight=N][,id=N][,beaten]\n"
        "                             a patch between two --tree versions (repeatable; weight 1, id 0)\n"
        "  --applier FILE             the patch applier put into every patch torrent\n"
        "  --prepatch VERSION         the future version on offer\n"
        "  --launcher-version TEXT    the launcher version the server names\n"
        "  --launcher-tree DIR        the launcher's files, for Launcher.torrent\n"
        "  --old-version VERSION      the oldest version the history patches (default: the first tree's)\n"
        "  --exclude REL              a path of every tree that no version file lists (repeatable;\n"
        "                             Profiles/game.version always)\n"
        "  --web-seed URL             a web seed of every torrent (repeatable)\n"
        "  --tracker URL              a tracker of every torrent (repeatable)\n"
        "  --key PRIVATE.der          the key that signs the version files (default: the sample key)\n");
    return 2;
}

struct PatchOption {
    std::string from, to, payload;
    int weight = 1;
    int id = 0;
    bool beaten = false;
};

struct Options {
    std::string out, current, prepatch, launcherVersion, launcherTree, oldVersion, applier;
    std::string key = SAMPLE_VERSION_PRIVATE_KEY;
    std::vector<std::pair<std::string, std::string>> trees;  // version, folder
    std::vector<PatchOption> patches;
    std::vector<std::string> excluded = {"Profiles/game.version"};
    TorrentSources sources;
};

std::vector<std::string> SplitAt(const std::string& text, char separator) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1)
        pieces.push_back(text.substr(start, end - start));
    pieces.push_back(text.substr(start));
    return pieces;
}

bool ParseInt(const std::string& text, int& out) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 0);
    if (text.empty() || *end != '\0' || value < -2147483647L - 1 || value > 2147483647L) return false;
    out = static_cast<int>(value);
    return true;
}

bool ParsePatch(const std::string& text, PatchOption& patch) {
    const std::vector<std::string> pieces = SplitAt(text, ',');
    if (pieces.size() < 3 || pieces[0].empty() || pieces[1].empty() || pieces[2].empty()) return false;
    patch.from = pieces[0];
    patch.to = pieces[1];
    patch.payload = pieces[2];
    for (std::size_t i = 3; i < pieces.size(); ++i) {
        if (pieces[i] == "beaten") {
            patch.beaten = true;
        } else if (pieces[i].rfind("weight=", 0) == 0) {
            if (!ParseInt(pieces[i].substr(7), patch.weight)) return false;
        } else if (pieces[i].rfind("id=", 0) == 0) {
            if (!ParseInt(pieces[i].substr(3), patch.id)) return false;
        } else {
            return false;
        }
    }
    return true;
}

// Version texts name folders and files of the output ("Patch_FROM-TO", "versions/CURRENT"),
// so each must be a plain name: a "../x" would write, or delete, outside it.
bool CheckVersionNames(const Options& options) {
    std::vector<std::string> names = {options.current};
    for (const auto& tree : options.trees) names.push_back(tree.first);
    for (const PatchOption& patch : options.patches) names.insert(names.end(), {patch.from, patch.to});
    for (const std::string& name : names) {
        if (!Path::IsPlainName(name)) {
            std::fprintf(stderr, "update_publisher: the version text \"%s\" is not a plain name\n", name.c_str());
            return false;
        }
    }
    return true;
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc) return false;
        const std::string value = argv[++i];
        if (option == "--out") {
            options.out = value;
        } else if (option == "--current") {
            options.current = value;
        } else if (option == "--tree" && value.find('=') != std::string::npos && value.find('=') > 0) {
            options.trees.emplace_back(value.substr(0, value.find('=')), value.substr(value.find('=') + 1));
        } else if (option == "--patch") {
            PatchOption patch;
            if (!ParsePatch(value, patch)) return false;
            options.patches.push_back(patch);
        } else if (option == "--applier") {
            options.applier = value;
        } else if (option == "--prepatch") {
            options.prepatch = value;
        } else if (option == "--launcher-version") {
            options.launcherVersion = value;
        } else if (option == "--launcher-tree") {
            options.launcherTree = value;
        } else if (option == "--old-version") {
            options.oldVersion = value;
        } else if (option == "--exclude") {
            options.excluded.push_back(value);
        } else if (option == "--web-seed") {
            options.sources.webSeeds.push_back(value);
        } else if (option == "--tracker") {
            options.sources.trackers.push_back(value);
        } else if (option == "--key") {
            options.key = value;
        } else {
            return false;
        }
    }
    return !options.out.empty() && !options.current.empty() && !options.trees.empty();
}

const std::string* TreeOf(const Options& options, const std::string& version) {
    for (const auto& [treeVersion, folder] : options.trees)
        if (treeVersion == version) return &folder;
    return nullptr;
}

bool Fail(const std::string& message) {
    std::fprintf(stderr, "update_publisher: %s\n", message.c_str());
    return false;
}

bool WriteBytes(const fs::path& path, const std::string& bytes) {
    return WriteFileReplacing(String(path.c_str()), bytes.data(), bytes.size()) || Fail("cannot write " + path.string());
}

bool SignedVersionFile(const Options& options, const std::string& version, const std::string& tree,
                       const std::string& key, std::string& bytes) {
    VersionWriter::ScanOptions scan;
    scan.excluded = options.excluded;
    VersionWriter::Model model;
    model.version = version;
    if (!VersionWriter::ScanTree(tree, scan, model)) return Fail("cannot read the tree " + tree);
    bytes = VersionWriter::Compose(model, 5, 9, key);
    return !bytes.empty() || Fail("cannot sign the version file of " + tree);
}

// A fresh folder target holding a copy of source's files.
bool CopyTree(const fs::path& source, const fs::path& target) {
    std::error_code error;
    fs::remove_all(target, error);
    fs::create_directories(target, error);
    if (!error) fs::copy(source, target, fs::copy_options::recursive, error);
    return !error || Fail("cannot copy " + source.string() + ": " + error.message());
}

bool Torrent(const Options& options, const std::string& top, const std::string& torrent) {
    std::string error;
    if (!MakeTorrent(options.out, top, options.sources, (fs::path(options.out) / torrent).string(), error))
        return Fail("cannot make " + torrent + ": " + error);
    std::printf("%s\n", torrent.c_str());
    return true;
}

// A document of the launcher's own XML serialiser.
template <class Record>
bool WriteDocument(const fs::path& path, Record& record) {
    NLXML::CXMLStringSink sink;
    {
        ObjectRef<CXMLChunkSaver> saver(CXMLChunkSaver::OpenWriting(&sink, String()));
        record.Serialize(*saver);
        if (!saver->Close()) return Fail("cannot print " + path.string());
    }
    if (!WriteBytes(path, sink.Text().Std())) return false;
    std::printf("%s\n", path.filename().c_str());
    return true;
}

WideString Wide(const std::string& text) { return WideString(String(text.c_str())); }

// A patch's folder and torrent, and its record in the history.
bool PublishPatch(const Options& options, const PatchOption& patch, const std::string& key, PatchesTree& history) {
    const std::string* target = TreeOf(options, patch.to);
    if (!TreeOf(options, patch.from) || !target) return Fail("the patch " + patch.from + "," + patch.to + " needs both --tree versions");
    const fs::path out = options.out;
    const std::string top = "Patch_" + patch.from + "-" + patch.to;
    std::string versionFile;
    if (!CopyTree(patch.payload, out / top) || !SignedVersionFile(options, patch.to, *target, key, versionFile) ||
        !WriteBytes(out / top / "game.version", versionFile))
        return false;
    std::error_code error;
    if (!options.applier.empty() && !fs::copy_file(options.applier, out / top / "VaraRurezod.exe", error))
        return Fail("cannot copy the applier " + options.applier);
    const std::string torrent = "patches/" + patch.from + "-" + patch.to + ".torrent";
    if (!Torrent(options, top, torrent)) return false;
    UpdateItem update;
    update.beaten = patch.beaten;
    update.varaRurezodID = patch.id;
    update.weight = patch.weight;
    update.patchedTo = Wide(patch.to);
    update.torrentFile = Wide(torrent);
    for (VersionItem& item : history.versions)
        if (item.versionNumber.Equals(Wide(patch.from))) item.updates.PushBack(update);
    return true;
}

bool Publish(const Options& options) {
    const fs::path out = options.out;
    const std::string* currentTree = TreeOf(options, options.current);
    if (!currentTree) return Fail("the current version " + options.current + " has no --tree");
    std::string key;
    if (!VersionWriter::ReadFile(options.key, key)) return Fail("cannot read the key " + options.key);
    std::error_code error;
    fs::create_directories(out, error);

    RefPtr<PatchesTree> history(new PatchesTree());
    for (const auto& [version, tree] : options.trees) {
        VersionItem item;
        item.versionNumber = Wide(version);
        history->versions.PushBack(item);
    }
    for (const PatchOption& patch : options.patches)
        if (!PublishPatch(options, patch, key, *history)) return false;

    const std::string ripTop = "Rip_" + options.current;
    const std::string ripTorrent = "rip/" + ripTop + ".torrent";
    const std::string versionFile = "versions/" + options.current + "/game.version";
    std::string versionBytes;
    if (!CopyTree(*currentTree, out / ripTop) || !Torrent(options, ripTop, ripTorrent) ||
        !SignedVersionFile(options, options.current, *currentTree, key, versionBytes) ||
        !WriteBytes(out / versionFile, versionBytes))
        return false;
    std::printf("%s\n", versionFile.c_str());
    if (!options.launcherTree.empty() &&
        (!CopyTree(options.launcherTree, out / "Launcher") || !Torrent(options, "Launcher", "Launcher.torrent")))
        return false;

    history->ripTorrentFile = Wide(ripTorrent);
    history->versionFile = Wide(versionFile);
    history->repairInstallerFile = WideString(u"RepairInstaller.exe");  // named, never fetched
    history->oldVersionNumber = Wide(options.oldVersion.empty() ? options.trees.front().first : options.oldVersion);
    RefPtr<CurrentVersion> current(new CurrentVersion());
    current->gameVersion = Wide(options.current);
    current->prepatchVersion = Wide(options.prepatch);
    current->launcherVersion = Wide(options.launcherVersion);
    return WriteDocument(out / "PatchesHistory.xdb", *history) && WriteDocument(out / "CurrentVersion.xdb", *current);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) return Usage();
    if (!CheckVersionNames(options)) return 2;
    return Publish(options) ? 0 : 1;
}
