#pragma once
// The hub's messages to the launcher: parsed with TinyXML and handed to the owner's
// callbacks by the name of their root element. Anything else, and anything too large
// or too deeply nested to parse safely, reaches the owner as a protocol error.
#include <cstddef>

#include "base/runtime/Vector.h"
#include "hublink/InterComTypes.h"

namespace VTInterCom {

// Larger messages are not parsed: the longest real one, a list of every pack with its
// counters, is a few hundred bytes per pack.
constexpr std::size_t kMaxXmlMessageBytes = 8u << 20;
// The deepest real message nests four elements (root, "Progress", "Packs", "Pack").
constexpr int kMaxXmlDepth = 32;

// Dispatches one message as the transport delivers it (ending in a zero byte; the
// text is read up to the first zero). lightMode follows every "SetParams".
void DispatchHubMessage(const ByteVector& message, const InterComCallbacks& callbacks, bool& lightMode);

}  // namespace VTInterCom
