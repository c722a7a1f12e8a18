#pragma once
// The launcher's requests to the hub: documents of one root element, printed by
// TinyXML's printer (four-space indent, "\n" line ends) without a declaration. The
// printed bytes, without a terminating zero, are one transport message.
#include "base/runtime/Vector.h"
#include "hublink/InterComTypes.h"

namespace VTInterCom {

ByteVector PrintTerminateMessage();                                 // <TerminateVTIn />
ByteVector PrintGetPackInfosMessage();                              // <GetPackInfosIn />
ByteVector PrintPackStatesMessage(const Vector<PackState>& states);  // <SetPackStateExIn> of <ps ... />
ByteVector PrintAcceptedBuildMessage(int build);                    // <SetClientAcceptedBuildIn AcceptedBuild=.. />

}  // namespace VTInterCom
