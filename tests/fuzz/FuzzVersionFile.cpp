// Version-file parsing: the whole file of either generation, and the body readers
// behind the checksum and the signature, which a fuzzer could not reach otherwise.
#include <cstddef>
#include <cstdint>

#include "engine/gamedata/GameVersion4.h"
#include "engine/gamedata/GameVersion5.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::uint8_t mode = data[0] & 3;
    ++data;
    --size;
    const String root("/nonexistent/");
    if (mode == 0 || mode == 2) {
        RefPtr<Game::GameVersion4> version(new Game::GameVersion4(root));
        version->SetFlagsMask(size & 1 ? 2 : 0);
        if (mode == 0) {
            version->Parse(data, size);
        } else {
            Game::StickyReader body(data, size);
            if (version->ReadHeader(body)) version->ReadFolders(body);
        }
    } else {
        RefPtr<Game::GameVersion5> version(new Game::GameVersion5(root));
        if (mode == 1) {
            version->Parse(data, size);
        } else {
            Game::StickyReader blockA(data, size);
            if (version->ReadHeader(blockA)) version->ReadFolders(blockA);
        }
    }
    return 0;
}
