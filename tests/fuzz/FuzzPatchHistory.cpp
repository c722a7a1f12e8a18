// The update server's documents: arbitrary bytes as a patch history and as a
// current-version answer, and (first byte odd) histories built from the bytes, with
// duplicate versions, patches back and in circles, missing targets and huge weights,
// which random text seldom reaches. Every walk must end, and a chain found must be one
// the chain check accepts.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/io/MemoryStream.h"
#include "engine/servers/CurrentVersion.h"
#include "engine/servers/PatchesTree.h"

namespace {

// Versions "v0".. from the second byte, then one update per three bytes: its version,
// its target (some past the last version) and its weight, beaten flag and id.
std::string BuiltHistory(const std::uint8_t* data, std::size_t size) {
    const std::size_t count = size > 1 ? data[1] % 12 + 1 : 1;
    std::string versions[12];
    for (std::size_t at = 2; at + 2 < size; at += 3) {
        const std::uint8_t weightByte = data[at + 2];
        const long long weight = static_cast<std::int8_t>(weightByte) * (weightByte & 1 ? 1LL : 30000000LL);
        versions[data[at] % count] += "<Item weight=\"" + std::to_string(weight) + "\" beaten=\"" +
                                      (weightByte > 0xF0 ? "1" : "0") + "\" varaRurezodID=\"" +
                                      std::to_string(weightByte % 3 == 0) + "\"><patchedTo>v" +
                                      std::to_string(data[at + 1] % (count + 2)) + "</patchedTo><torrentFile>t" +
                                      std::to_string(at) + "</torrentFile></Item>";
    }
    std::string xml = "<H><ripTorrentFile>r</ripTorrentFile><versionFile>v</versionFile>"
                      "<repairInstallerFile>i</repairInstallerFile><versions>";
    for (std::size_t i = 0; i < count; ++i) {
        // Every fourth version repeats an earlier number.
        const std::size_t number = i % 4 == 3 ? i / 2 : i;
        xml += "<Item><versionNumber>v" + std::to_string(number) + "</versionNumber><updates>" + versions[i] +
               "</updates></Item>";
    }
    return xml + "</versions></H>";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RefPtr<CMemoryStream> stream(new CMemoryStream());
    if (size > 0 && data[0] % 2 == 1) {
        const std::string built = BuiltHistory(data, size);
        stream->Write(built.data(), built.size());
    } else {
        stream->Write(data, size);
        CurrentVersion::Load(stream.Get());
    }
    const RefPtr<PatchesTree> tree = PatchesTree::Load(stream.Get());
    if (!tree) return 0;
    for (std::size_t i = 0; i < tree->versions.Size() && i < 16; ++i) {
        const WideString& installed = tree->versions[i].versionNumber;
        Vector<UpdateItem> updates;
        WideString latest;
        PatchesTree::FindPath(*tree, installed, updates, latest, {});
        WideStringVector chain;
        chain.PushBack(installed);
        for (const UpdateItem& update : updates) chain.PushBack(update.patchedTo);
        if (!PatchesTree::CheckChain(*tree, chain)) __builtin_trap();
        PatchesTree::FindPath(*tree, installed, updates, latest,
                              [](const WideString& version) { return version.Length() % 2 == 1; });
    }
    return 0;
}
