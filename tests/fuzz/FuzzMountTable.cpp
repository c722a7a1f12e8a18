// Mount tables and mode names as the system's files hold them: parsing never reads
// past its input, every mount found holds the path asked about, and sizes are positive.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/display/DisplayModeSource.h"
#include "platform/posix/MountTable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::vector<MountEntry> mounts = ParseMountInfo(text);
    for (const MountEntry& mount : mounts) {
        if (mount.mountPoint.empty() || mount.mountPoint[0] != '/') __builtin_trap();
        const MountEntry* holder = FindMountOf(mounts, mount.mountPoint + "/x");
        if (!holder || holder->mountPoint.size() < mount.mountPoint.size()) __builtin_trap();
    }
    ScreenSize screen;
    if (ParseModeName(text, screen) && (screen.width <= 0 || screen.height <= 0)) __builtin_trap();
    return 0;
}
