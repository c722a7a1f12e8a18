#include "engine/servers/PatchesTree.h"

#include "base/xml/ObjectRef.h"
#include "base/xml/XMLChunkSaver.h"
#include "base/xml/XmlExchange.h"
#include "engine/servers/PatchGraph.h"

void UpdateItem::Exchange(IXmlSaver& saver) {
    XmlBool(saver, "beaten", 0, &beaten);
    XmlInt(saver, "varaRurezodID", 0, &varaRurezodID);
    XmlInt(saver, "weight", 0, &weight);
    XmlWideText(saver, "patchedTo", patchedTo);
    XmlWideText(saver, "torrentFile", torrentFile);
}

void VersionItem::Exchange(IXmlSaver& saver) {
    XmlWideText(saver, "versionNumber", versionNumber);
    XmlBool(saver, "isCritical", 0, &isCritical);
    if (XmlChildScope list(saver, "updates"); list) XmlArray(saver, "updates", updates);
}

void PatchesTree::Serialize(IXmlSaver& saver) {
    XmlWideText(saver, "ripTorrentFile", ripTorrentFile);
    XmlWideText(saver, "versionFile", versionFile);
    XmlWideText(saver, "repairInstallerFile", repairInstallerFile);
    XmlWideText(saver, "oldVersionNumber", oldVersionNumber);
    if (XmlChildScope list(saver, "versions"); list) XmlArray(saver, "versions", versions);
}

RefPtr<PatchesTree> PatchesTree::Load(CDataStream* stream) {
    ObjectRef<CXMLChunkSaver> saver(CXMLChunkSaver::Open(stream, CXMLChunkSaver::kRead, String()));
    if (!saver) return nullptr;
    RefPtr<PatchesTree> tree(new PatchesTree());
    tree->Serialize(*saver);
    if (tree->ripTorrentFile.IsEmpty() || tree->versionFile.IsEmpty() || tree->repairInstallerFile.IsEmpty())
        return nullptr;
    return tree;
}

bool PatchesTree::FindPath(const PatchesTree& tree, const WideString& installed, Vector<UpdateItem>& updates,
                           WideString& latest, const PastAnnounced& stopPast) {
    const PatchGraph graph(tree);
    latest = graph.Latest();
    return graph.FindPath(installed, updates, stopPast);
}

bool PatchesTree::CheckChain(const PatchesTree& tree, const WideStringVector& chain) {
    const PatchGraph graph(tree);
    for (std::size_t i = 0; i + 1 < chain.Size(); ++i) {
        const UpdateItem* choice = graph.ChosenUpdate(chain[i]);
        if (!choice || !choice->patchedTo.Equals(chain[i + 1])) return false;
    }
    return true;
}
