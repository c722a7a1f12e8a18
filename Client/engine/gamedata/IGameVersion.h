#pragma once
// The installed game as its version file describes it.
#include "base/runtime/RefCounter.h"
#include "base/runtime/String.h"
#include "base/runtime/Vector.h"
#include "engine/gamedata/GameFolder.h"

namespace Game {

// Result codes of the file checks.
enum CheckCode : int {
    kCheckOk = 0,
    kFolderMissing = 2,
    kCannotOpen = 3,
    kSizeDiffers = 4,  // "ver5": or the quick digest differs
    kHashDiffers = 5,  // or the content is not of the checker's generation
};

using FolderList = Vector<RefPtr<GameFolder>>;

class IGameVersion : public RefCounter {
public:
    virtual const WideString& GetVersion() const = 0;
    virtual const FolderList& GetFolders() const = 0;
    virtual int GetContentCount() const = 0;
    virtual void SetFlagsMask(int mask) = 0;
    // 0 when every folder exists and every file passes; else the first failure's code,
    // with outPath set (the stored folder name for 2, root + folder + file otherwise).
    virtual int Check(String& outPath, bool onlyFlagged) = 0;

protected:
    ~IGameVersion() override = default;
};

}  // namespace Game
