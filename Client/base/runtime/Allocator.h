#pragma once
// The replaced global allocator: the system heap with a process-wide count of live
// blocks; when the count falls to zero the heap hands its free memory back to the
// system.
#include <cstdint>

namespace Allocator {
// Blocks handed out by the global operator new and not yet released.
std::int64_t LiveBlocks();
// How often the heap was trimmed.
std::int64_t TrimCount();
}  // namespace Allocator
