#pragma once
// The full version of a demo installation: the list of what the demo lacks, where its
// download lands, and the move of the downloaded files into the game.
#include <string>

#include "base/runtime/String.h"
#include "shell/AppParams.h"
#include "workflow/repair/Rip.h"

namespace FullVersion {

// The move log, under the game root.
inline constexpr char16_t kMoveLog[] = u"Personal/Logs/move-bo-full.txt";

// Every content of the whole version file that is not in the minimal set, as an entry
// the repair download fetches (the code of a file that cannot be opened, the content as
// its record). Null when the version file cannot be read (the loader refuses names that
// lead out of the game root).
RefPtr<Rip> BuildList(const AppParams& params);

// The folder the repair torrent's files land in: its path with a trailing ".torrent"
// taken off, whole when it has none.
WideString StagingFolder(const WideString& torrentPath);

// Moves every entry of the list from stagingFolder/<path> to gameRoot/<path>, creating
// the target's folders and replacing what is there, in order until the first failure.
// Each attempt is written to the log at logPath ("source\ntarget\n\n") when it can be
// opened as a plain file of its own (never through a link). False for no list, an
// empty one, an empty staging folder, a path that would lead out of the game root, a
// staged file that is not the one the version file's record lists (it stays where it
// is, and the log names it last), or a failed move.
bool Move(const Rip* list, const WideString& stagingFolder, const WideString& gameRoot, const std::string& logPath);

}  // namespace FullVersion
