#pragma once
// Which sockets the launcher looks for the hub at. Every hub answers at "VantryV4";
// the hub installed beside the game also at "VantryV4_" followed by the MD5 digest of
// its folder, so that the launcher finds its own hub when several are installed.
#include "base/runtime/String.h"
#include "base/runtime/Vector.h"

namespace VTInterCom {

struct HubPipeNames {
    StringVector baseNames;
    // The hub executable's real path; empty when it does not exist (no second name
    // then, and no hub to start).
    WideString hubPath;
};

// The second name's suffix is 32 lower-case hexadecimal digits: the MD5 of the hub's
// folder (its real path without the last component and the separators before it),
// lower-cased, as UTF-16LE.
HubPipeNames MakeHubPipeNames(const WideString& hubExecutable);

}  // namespace VTInterCom
