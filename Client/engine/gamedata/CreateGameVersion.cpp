#include "engine/gamedata/CreateGameVersion.h"

#include "engine/gamedata/GameVersion4.h"
#include "engine/gamedata/GameVersion5.h"

namespace Game {

RefPtr<IGameVersion> CreateGameVersion(int format, const String& root, const String& fileName, int flagsMask) {
    switch (format) {
    case 4:
        return GameVersion4::Load(root, fileName, flagsMask);
    case 5:
        return GameVersion5::Load(root, fileName, flagsMask);
    default:
        return nullptr;
    }
}

}  // namespace Game
