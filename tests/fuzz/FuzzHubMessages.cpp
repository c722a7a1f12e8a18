// Feeds arbitrary bytes to the hub link's receiving side: as datagrams to the packet
// reassembler, and as a message to the dispatcher with every callback set. It also
// holds the depth check to its promise: whatever it lets through, TinyXML parses no
// deeper than the limit.
#include <tinyxml.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "hublink/MessageDispatch.h"
#include "hublink/PacketFormat.h"
#include "hublink/XmlLimits.h"

namespace {

std::size_t g_touched = 0;

void Touch(const PackInfos& infos) {
    g_touched += infos.BuildInfo.Length() + static_cast<std::size_t>(infos.ServerBuild);
    for (const PackInfo& pack : infos.Packs) g_touched += pack.Name.Length() + (pack.Counters ? 1 : 0);
}

InterComCallbacks Callbacks() {
    InterComCallbacks table;
    table.protocolError = [](void*, const std::uint8_t* bytes, std::size_t count) {
        if (count > 0) g_touched += bytes[count - 1];
    };
    table.packInfos = [](void*, const PackInfos& infos) { Touch(infos); };
    table.buildInfo = [](void*, const PackInfos& infos) { Touch(infos); };
    table.newBuildDetected = [](void*, int build, const String& info) { g_touched += info.Length() + build; };
    table.networkParams = [](void*, const HubNetworkParams& params) { g_touched += params.uploadRateLimit; };
    table.progress = [](void*, const HubProgress& progress, const PackInfos* packs) {
        g_touched += static_cast<std::size_t>(progress.ReadyDone);
        if (packs) Touch(*packs);
    };
    table.packagesFileError = [](void*, int code) { g_touched += code; };
    table.params = [](void*, int pid, int api, bool light, int accepted) { g_touched += pid + api + light + accepted; };
    return table;
}

// The deepest element of a parsed document, walked without recursion.
int DeepestElement(const TiXmlNode& root) {
    int deepest = 0;
    std::vector<std::pair<const TiXmlNode*, int>> pending = {{&root, 0}};
    while (!pending.empty()) {
        const auto [node, depth] = pending.back();
        pending.pop_back();
        if (depth > deepest) deepest = depth;
        for (const TiXmlNode* child = node->FirstChild(); child; child = child->NextSibling())
            pending.emplace_back(child, depth + (child->ToElement() ? 1 : 0));
    }
    return deepest;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Datagrams: each byte pair gives the next datagram's length.
    VTInterCom::Reassembler reassembler;
    for (std::size_t at = 0; at + 2 <= size;) {
        const std::size_t length = std::min<std::size_t>(data[at] | data[at + 1] << 8, size - at - 2);
        if (reassembler.Add(data + at + 2, length) == VTInterCom::Reassembler::Result::Complete) {
            const ByteVector message = reassembler.TakeMessage();
            if (message.Empty() || message.Data()[message.Size() - 1] != 0) std::abort();
        }
        at += 2 + length;
    }

    ByteVector message;
    message.Append(data, size);
    message.PushBack(0);
    bool lightMode = false;
    VTInterCom::DispatchHubMessage(message, Callbacks(), lightMode);

    const char* text = reinterpret_cast<const char*>(message.Data());
    const std::size_t length = strnlen(text, message.Size());
    if (VTInterCom::FitsXmlLimits(text, length, VTInterCom::kMaxXmlDepth)) {
        TiXmlDocument document;
        document.Parse(text, nullptr, TIXML_ENCODING_UTF8);
        if (DeepestElement(document) > VTInterCom::kMaxXmlDepth) std::abort();
    }
    return 0;
}
