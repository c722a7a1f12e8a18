#pragma once
// The update server's answer "CurrentVersion.xdb": the version it makes current, a
// future version on offer, and the current launcher version. A field the document
// lacks stays empty.
#include "base/io/DataStream.h"
#include "base/runtime/RefCounter.h"
#include "base/runtime/String.h"
#include "base/xml/IXmlSaver.h"

class CurrentVersion final : public RefCounter {
public:
    WideString gameVersion;
    WideString prepatchVersion;
    WideString launcherVersion;

    CurrentVersion() = default;

    // Null when the stream holds no document at all.
    static RefPtr<CurrentVersion> Load(CDataStream* stream);
    void Serialize(IXmlSaver& saver);

private:
    ~CurrentVersion() override = default;
};
