#pragma once
// The small POSIX layer under memory-mapped files: open, size, reserve, map, flush.
// Every descriptor is opened with O_CLOEXEC so that started programs never inherit it.
#include <cstddef>
#include <cstdint>

namespace Posix {

// The fixed alignment of mapped views that start inside a file.
constexpr std::uint64_t kMapGranularity = 65536;

// Opens an existing file for reading, or (write) for reading and writing, created
// with mode 0644 when missing and never through a link. Only regular files open, and
// the open does not block. -1 on failure.
int OpenFile(const char* path, bool write);
void CloseFile(int fd);
// The file size, or -1.
std::int64_t FileSize(int fd);
// Makes the file exactly size bytes long; growth reserves the blocks first, so a full
// disk is a failed call here rather than a SIGBUS on a later store into the mapping.
bool ResizeFile(int fd, std::uint64_t size);
// Sets the last-access and last-write times to now.
bool TouchFile(int fd);
// Reads up to length bytes at offset, retrying short reads; the count read, or -1.
std::int64_t ReadAt(int fd, void* destination, std::size_t length, std::uint64_t offset);
// Writes all bytes; false on any failure.
bool WriteAll(int fd, const void* data, std::size_t length);
// Copies from's bytes from its position to its end into to; false on any failure.
bool CopyAll(int from, int to);
bool SyncFile(int fd);

// Maps [offset, offset + length) of the file, shared; offset must be a multiple of the
// page size. Null on failure.
void* MapRange(int fd, std::uint64_t offset, std::size_t length, bool writable);
void UnmapRange(void* address, std::size_t length);
bool FlushRange(void* address, std::size_t length);

}  // namespace Posix
