#include "engine/servers/CurrentVersion.h"

#include "base/xml/ObjectRef.h"
#include "base/xml/XMLChunkSaver.h"
#include "base/xml/XmlExchange.h"

RefPtr<CurrentVersion> CurrentVersion::Load(CDataStream* stream) {
    ObjectRef<CXMLChunkSaver> saver(CXMLChunkSaver::Open(stream, CXMLChunkSaver::kRead, String()));
    if (!saver) return nullptr;
    RefPtr<CurrentVersion> answer(new CurrentVersion());
    answer->Serialize(*saver);
    return answer;
}

void CurrentVersion::Serialize(IXmlSaver& saver) {
    XmlWideText(saver, "gameVersion", gameVersion);
    XmlWideText(saver, "prepatchVersion", prepatchVersion);
    XmlWideText(saver, "launcherVersion", launcherVersion);
}
