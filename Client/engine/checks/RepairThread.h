#pragma once
// Puts the downloaded repair files in place from a thread of its own: each entry of the
// job's list, once its download matches the signed version file's record, is moved
// from the download folder over the game's file (copied when the move fails), and when
// neither works on a target with room to spare, the user is asked through the
// IRepairer whether to try again. The download folder is removed at the end, whatever
// the outcome, without following a link. The thread stops cooperatively: the
// destructor stops the gate, which it passes before every entry and every try, and
// joins it. An owner with a question pending answers it before letting the worker go.
#include <cstdint>
#include <string>
#include <thread>

#include "base/runtime/RefCounter.h"
#include "base/runtime/String.h"
#include "engine/checks/DiskSpaceChecker.h"
#include "engine/checks/IRepairer.h"
#include "engine/gamedata/CheckGate.h"
#include "workflow/repair/RipPatch.h"

class RepairThread final : public RefCounter {
public:
    // The codes of IRepairer::SetFailed.
    static constexpr int kNoDiskSpace = 2;
    // A locked file given up, a file that could not be made, or a stop before the end.
    static constexpr int kGivenUp = 3;
    // A downloaded file missing, of another size than its entry or not the file the
    // signed version file lists, or an entry whose path would leave the game folder:
    // nothing of it is put in place.
    static constexpr int kBadDownload = 4;
    // How often a failed move is followed by a copy before the user is asked.
    static constexpr int kCopyTries = 100;

    // free measures the target's file system when a file cannot be placed.
    RepairThread(IRepairer* listener, RipPatch* job, DiskSpaceChecker::FreeBytes free = DiskSpaceChecker::MeasureFreeBytes);

    // Starts the worker once; false when it already started or the thread cannot be made.
    bool Start();
    // Holds the worker at its next gate; false lets it go on.
    void SetPaused(bool paused) { gate_.SetPaused(paused); }

    // Worker side, public for tests of the pieces: false once stopped.
    bool WaitWhilePaused() { return gate_.Pass(); }

private:
    ~RepairThread() override;
    void Run();
    // 0 once the entry is in place, else a failure code.
    int RepairEntry(RipEntry& entry, const String& gameFolder);
    // Moves or copies source over placed (target reached through its open folder) until
    // it works, the user gives up or the gate stops; target is what the user is asked about.
    int PlaceFile(const String& source, const String& target, const std::string& placed, std::uint32_t size);

    IRepairer* listener_;
    RefPtr<RipPatch> job_;
    DiskSpaceChecker::FreeBytes free_;
    std::thread thread_;
    bool started_ = false;
    Game::CheckGate gate_;
};

// An entry's path as it is joined to a folder: '\' turned into '/'; empty when it is
// empty, absolute, has a ".." component or a control character.
String ConfinedEntryPath(const WideString& path);
