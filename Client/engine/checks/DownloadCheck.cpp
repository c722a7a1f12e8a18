#include "engine/checks/DownloadCheck.h"

#include "engine/gamedata/CreateGameVersion.h"
#include "engine/gamedata/GameVersion5.h"

namespace Game {

bool MatchesVersionRecord(const String& path, const GameFolder::Content* record, CheckGate* gate) {
    const CheckerFactory makeChecker = CheckerOfFormat(GameVersionFormat);
    if (!record || !makeChecker) return false;
    RefPtr<ICRCChecker> checker = makeChecker();
    checker->SetGate(gate);
    const bool matches = checker->CheckFile(path, record, true) == kCheckOk;
    return matches && !(gate && gate->Stopped());
}

}  // namespace Game
