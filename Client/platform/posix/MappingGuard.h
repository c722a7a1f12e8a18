#pragma once
// Read-only file mappings that survive another process cutting the file short. A load
// from a page past the new end raises SIGBUS; for a guarded mapping the handler puts
// zero pages in place from that page to the end of the mapping, sets the mapping's
// damage flag and lets the load resume. Readers check the flag after using the bytes
// and take a set flag as a failed read, so the zeros are never taken for data. (Past a
// new end that is not on a page boundary, the rest of that last page reads as zeros with
// no fault at all; only the whole pages after it are caught.)
//
// SIGBUS anywhere else goes on to the handler that was installed before ours (or to
// the default action), so real faults still end the process.
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace Posix {

// Maps [offset, offset + length) of the file read-only and guards it; damaged receives
// the mapping's flag. Null (and nothing mapped) when the map or the guard fails.
std::uint8_t* MapGuarded(int fd, std::uint64_t offset, std::size_t length, const std::atomic<bool>*& damaged);
// Ends the guard of a MapGuarded view, then unmaps it.
void UnmapGuarded(std::uint8_t* view, std::size_t length, const std::atomic<bool>* damaged);

}  // namespace Posix
