#pragma once
// The check a file fetched from outside passes before it replaces a game file: it must
// be the file the signed version file lists. The repair torrent is not signed, so a
// server could hand any bytes of the right size; the version file's record is the
// proof. The full check's checker does the reading, with the whole file's digest
// always compared.
#include "base/runtime/String.h"
#include "engine/gamedata/CheckGate.h"
#include "engine/gamedata/GameFolder.h"

namespace Game {

// True when the regular file at path has the record's size and whole-file digest (the
// MD5, or the CRC-32 of a "ver4" record). False for no record or a record of another
// generation than the program's. The gate, when given, holds the reading while paused,
// and a stop makes the answer false.
bool MatchesVersionRecord(const String& path, const GameFolder::Content* record, CheckGate* gate = nullptr);

}  // namespace Game
