#include "hublink/OutgoingMessages.h"

#include <tinyxml.h>

namespace VTInterCom {

namespace {

ByteVector Print(TiXmlElement* root) {
    TiXmlDocument document;
    document.LinkEndChild(root);
    TiXmlPrinter printer;
    document.Accept(&printer);
    ByteVector bytes;
    bytes.Append(printer.CStr(), printer.Size());
    return bytes;
}

}  // namespace

ByteVector PrintTerminateMessage() { return Print(new TiXmlElement("TerminateVTIn")); }

ByteVector PrintGetPackInfosMessage() { return Print(new TiXmlElement("GetPackInfosIn")); }

ByteVector PrintPackStatesMessage(const Vector<PackState>& states) {
    auto* root = new TiXmlElement("SetPackStateExIn");
    for (const PackState& state : states) {
        auto* entry = new TiXmlElement("ps");
        entry->SetAttribute("Name", state.name.CStr());
        entry->SetAttribute("Enable", state.enable);
        entry->SetAttribute("Priority", state.priority);
        root->LinkEndChild(entry);
    }
    return Print(root);
}

ByteVector PrintAcceptedBuildMessage(int build) {
    auto* root = new TiXmlElement("SetClientAcceptedBuildIn");
    root->SetAttribute("AcceptedBuild", build);
    return Print(root);
}

}  // namespace VTInterCom
