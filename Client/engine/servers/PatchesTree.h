#pragma once
// The update server's patch history ("PatchesHistory.xdb"): every version that can
// still be patched, the patches leading away from each, and the names of the repair
// set's files. Loaded once and never changed; the chain queries build a PatchGraph.
#include <functional>

#include "base/io/DataStream.h"
#include "base/runtime/RefCounter.h"
#include "base/runtime/String.h"
#include "base/runtime/Vector.h"
#include "base/xml/IXmlSaver.h"

// One patch away from a version.
struct UpdateItem {
    bool beaten = false;     // never chosen
    int varaRurezodID = 0;   // a chain never mixes two values
    int weight = 0;          // summed along a chain; the least total is chosen
    WideString patchedTo;    // the version the patch produces
    WideString torrentFile;  // the patch's torrent on the server, relative to its base path

    void Exchange(IXmlSaver& saver);
};

struct VersionItem {
    WideString versionNumber;
    bool isCritical = false;  // read, not used
    Vector<UpdateItem> updates;

    void Exchange(IXmlSaver& saver);
};

// Tells whether a version lies past the one the server announces; a chain stops
// before a patch to such a version. Empty: no stop.
using PastAnnounced = std::function<bool(const WideString& version)>;

class PatchesTree final : public RefCounter {
public:
    WideString ripTorrentFile;       // the repair set's torrent on the server
    WideString versionFile;          // the repair set's version file on the server
    WideString repairInstallerFile;  // must be present; not otherwise used
    WideString oldVersionNumber;     // the oldest version the history patches
    Vector<VersionItem> versions;    // in document order

    PatchesTree() = default;

    // The history in the stream; null when the stream is empty or one of the three
    // file names is missing.
    static RefPtr<PatchesTree> Load(CDataStream* stream);
    void Serialize(IXmlSaver& saver);

    // The chosen chain from installed, and the history's latest version (its last
    // element's). False when installed has no usable patch and is not the latest.
    static bool FindPath(const PatchesTree& tree, const WideString& installed, Vector<UpdateItem>& updates,
                         WideString& latest, const PastAnnounced& stopPast);
    // Whether each version of the list is followed by the one its chosen patch leads to.
    static bool CheckChain(const PatchesTree& tree, const WideStringVector& chain);

private:
    ~PatchesTree() override = default;
};
