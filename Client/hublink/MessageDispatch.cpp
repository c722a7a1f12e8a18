#include "hublink/MessageDispatch.h"

#include <tinyxml.h>

#include <cstdint>
#include <cstring>
#include <string_view>

#include "base/runtime/StrUtil.h"
#include "hublink/XmlLimits.h"

namespace VTInterCom {

namespace {

// Numbers read as "%d" and "%lld" would, leading number first, but out-of-range and
// unreadable values count as absent: 0.
int IntAttribute(const TiXmlElement& element, const char* name) {
    const char* value = element.Attribute(name);
    return value ? StrUtil::ParseDec(value) : 0;
}

std::int64_t Int64Attribute(const TiXmlElement& element, const char* name) {
    const char* value = element.Attribute(name);
    return value ? StrUtil::ParseInt64(value) : 0;
}

bool BoolAttribute(const TiXmlElement& element, const char* name) { return IntAttribute(element, name) != 0; }

String TextAttribute(const TiXmlElement& element, const char* name) {
    const char* value = element.Attribute(name);
    return String(value ? value : "");
}

PackInfo ParsePackInfo(const TiXmlElement& element) {
    PackInfo info;
    info.Name = TextAttribute(element, "Name");
    info.ReadyBuild = IntAttribute(element, "ReadyBuild");
    info.ServerBuild = IntAttribute(element, "ServerBuild");
    info.Enabled = BoolAttribute(element, "Enabled");
    info.Priority = IntAttribute(element, "Priority");
    if (element.Attribute("ReadyDone")) {
        PackCounters& counters = info.Counters.emplace();
        counters.ReadyDone = Int64Attribute(element, "ReadyDone");
        counters.ReadyTotal = Int64Attribute(element, "ReadyTotal");
        counters.DownloadDone = Int64Attribute(element, "DownloadDone");
        counters.DownloadTotal = Int64Attribute(element, "DownloadTotal");
    }
    return info;
}

PackInfos ParsePackInfos(const TiXmlElement& element) {
    PackInfos infos;
    infos.ApiVersion = IntAttribute(element, "ApiVersion");
    infos.VantryBuild = IntAttribute(element, "VantryBuild");
    infos.ServerBuild = IntAttribute(element, "ServerBuild");
    infos.FullPackSet = BoolAttribute(element, "FullPackSet");
    infos.BuildInfo = TextAttribute(element, "BuildInfo");
    infos.LastServerVerified = Int64Attribute(element, "LastServerVerified");
    for (const TiXmlElement* pack = element.FirstChildElement("Pack"); pack; pack = pack->NextSiblingElement("Pack"))
        infos.Packs.PushBack(ParsePackInfo(*pack));
    return infos;
}

// The progress callback for a first "Progress" child, with the pack list it may hold.
void ParseProgress(const TiXmlElement& element, const InterComCallbacks& callbacks) {
    if (!callbacks.progress) return;
    const TiXmlElement* node = element.FirstChildElement("Progress");
    if (!node) return;
    HubProgress progress;
    progress.ReadyDone = Int64Attribute(*node, "ReadyDone");
    progress.ReadyTotal = Int64Attribute(*node, "ReadyTotal");
    progress.DownloadDone = Int64Attribute(*node, "DownloadDone");
    progress.DownloadTotal = Int64Attribute(*node, "DownloadTotal");
    progress.AlreadyDownloaded = Int64Attribute(*node, "AlreadyDownloaded");
    if (const TiXmlElement* packs = node->FirstChildElement("Packs")) {
        const PackInfos infos = ParsePackInfos(*packs);
        callbacks.progress(callbacks.context, progress, &infos);
    } else {
        callbacks.progress(callbacks.context, progress, nullptr);
    }
}

struct Dispatch {
    const TiXmlElement& root;
    const InterComCallbacks& callbacks;
    bool& lightMode;
};

bool OnNetworkParams(const Dispatch& d) {
    HubNetworkParams params;
    params.uploadRateLimit = IntAttribute(d.root, "UploadRateLimit");
    params.downloadRateLimit = IntAttribute(d.root, "DownloadRateLimit");
    if (d.callbacks.networkParams) d.callbacks.networkParams(d.callbacks.context, params);
    return true;
}

// "GetPackInfosOut" and "NewGameBuildInfoOut": the progress, then the pack list.
bool DispatchPackList(const Dispatch& d, void (*callback)(void*, const PackInfos&)) {
    ParseProgress(d.root, d.callbacks);
    if (callback) callback(d.callbacks.context, ParsePackInfos(d.root));
    return true;
}

bool OnPackInfos(const Dispatch& d) { return DispatchPackList(d, d.callbacks.packInfos); }

bool OnBuildInfo(const Dispatch& d) { return DispatchPackList(d, d.callbacks.buildInfo); }

bool OnProgress(const Dispatch& d) {
    ParseProgress(d.root, d.callbacks);
    return true;
}

bool OnNewBuildDetected(const Dispatch& d) {
    ParseProgress(d.root, d.callbacks);
    if (d.callbacks.newBuildDetected)
        d.callbacks.newBuildDetected(d.callbacks.context, IntAttribute(d.root, "NewBuild"),
                                     TextAttribute(d.root, "BuildInfo"));
    return true;
}

bool OnPackagesFileError(const Dispatch& d) {
    if (d.callbacks.packagesFileError)
        d.callbacks.packagesFileError(d.callbacks.context, IntAttribute(d.root, "ErrorCode"));
    return true;
}

bool OnParams(const Dispatch& d) {
    // The process id travels as a 64-bit number; its low 32 bits are the id.
    const auto processId = static_cast<int>(static_cast<std::uint32_t>(Int64Attribute(d.root, "ProcessId")));
    const int apiVersion = IntAttribute(d.root, "ApiVersion");
    const bool lightMode = BoolAttribute(d.root, "LightMode");
    const int clientAccepted = IntAttribute(d.root, "ClientAccepted");
    d.lightMode = lightMode;
    if (d.callbacks.params) d.callbacks.params(d.callbacks.context, processId, apiVersion, lightMode, clientAccepted);
    return true;
}

struct Handler {
    std::string_view root;
    bool (*handle)(const Dispatch&);
};

constexpr Handler kHandlers[] = {
    {"GetNetworkParamsOut", OnNetworkParams},     {"GetPackInfosOut", OnPackInfos},
    {"GetProgressOut", OnProgress},               {"NewGameBuildInfoOut", OnBuildInfo},
    {"NewGameBuildDetectedOut", OnNewBuildDetected}, {"NotifyPackagesFileErrorOut", OnPackagesFileError},
    {"SetParams", OnParams},
};

bool Handle(const char* text, std::size_t length, const InterComCallbacks& callbacks, bool& lightMode) {
    if (length > kMaxXmlMessageBytes || !FitsXmlLimits(text, length, kMaxXmlDepth)) return false;
    TiXmlDocument document;
    document.Parse(text, nullptr, TIXML_ENCODING_UTF8);
    const TiXmlElement* root = document.RootElement();
    if (document.Error() || !root) return false;
    for (const Handler& handler : kHandlers) {
        if (handler.root == root->Value()) return handler.handle(Dispatch{*root, callbacks, lightMode});
    }
    return false;
}

}  // namespace

void DispatchHubMessage(const ByteVector& message, const InterComCallbacks& callbacks, bool& lightMode) {
    // The transport ends every message with a zero byte; the text is what comes before
    // the first one.
    const char* text = reinterpret_cast<const char*>(message.Data());
    const std::size_t length = message.Empty() ? 0 : strnlen(text, message.Size());
    if (length < message.Size() && Handle(text, length, callbacks, lightMode)) return;
    if (callbacks.protocolError) callbacks.protocolError(callbacks.context, message.Data(), message.Size());
}

}  // namespace VTInterCom
