#pragma once
// Read access to one file of the game tree. Only regular files open: the open does not
// block (O_NONBLOCK), so a FIFO or a device named in a version file cannot hang a check.
// The version file's names may differ in letter case from the disk, so when the exact
// path does not exist the case is resolved one component at a time.
#include <cstddef>
#include <cstdint>

#include "base/runtime/String.h"

namespace Game {

class GameFile {
public:
    GameFile() = default;
    ~GameFile();
    GameFile(const GameFile&) = delete;
    GameFile& operator=(const GameFile&) = delete;

    // '\' in the path counts as a separator. False when no regular file opens there.
    bool Open(const String& path);
    std::uint64_t Size() const { return size_; }
    // Reads up to length bytes at offset; the count read (short only at the end or on error).
    std::size_t ReadAt(std::uint64_t offset, void* destination, std::size_t length);
    // Read-ahead hints for a file read front to back: a wider read-ahead window, and a
    // range the kernel starts fetching now, while the caller hashes what it has.
    void AdviseSequential();
    void Prefetch(std::uint64_t offset, std::uint64_t length);

private:
    bool OpenExact(const String& path);

    int fd_ = -1;
    std::uint64_t size_ = 0;
};

// True when the path (with '\' as a separator, letter case resolved) is a directory.
bool IsGameFolder(const String& path);

}  // namespace Game
