#pragma once
// "ver4" file check: size, then (with flag bit 0) the zlib CRC-32 of the whole file.
#include <cstdint>

#include "engine/gamedata/ChunkedReader.h"
#include "engine/gamedata/ICRCChecker.h"

namespace Game {

class CRCChecker4 final : public ICRCChecker {
public:
    explicit CRCChecker4(std::uint32_t bufferSize) : reader_(bufferSize) {}
    // A checker with the buffer size every check uses.
    static RefPtr<ICRCChecker> Create();

    int CheckFile(const String& path, const GameFolder::Content* content, bool wholeHash) override;
    // The CRC-32 of the first size bytes, or of what could be read of them.
    std::uint32_t FileCrc32(GameFile& file, std::uint64_t size, bool* complete = nullptr);

private:
    ~CRCChecker4() override = default;

    ChunkedReader reader_;
};

}  // namespace Game
