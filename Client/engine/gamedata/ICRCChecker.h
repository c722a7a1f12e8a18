#pragma once
// Compares one file on disk with its content record.
#include <atomic>

#include "base/runtime/RefCounter.h"
#include "base/runtime/String.h"
#include "engine/gamedata/CheckGate.h"
#include "engine/gamedata/GameFolder.h"

namespace Game {

class ICRCChecker : public RefCounter {
public:
    // Opens folderPath + content name; returns one of the CheckCode values. The whole
    // file's digest is compared when the content's flags ask for it.
    int Check(const String& folderPath, const GameFolder::Content* content) {
        return CheckFile(folderPath + content->name, content, (content->Flags() & kCompareHash) != 0);
    }
    // The same for the file at path, which need not bear the content's name (a
    // downloaded copy); wholeHash compares the whole file's digest whatever the flags say.
    virtual int CheckFile(const String& path, const GameFolder::Content* content, bool wholeHash) = 0;
    // A set flag, or a stopped gate, makes a running check give up between read chunks
    // (it then reports the hash as differing; the caller knows it asked to stop). A
    // paused gate holds the check between chunks.
    void SetStopFlag(const std::atomic<bool>* stop) { stop_ = stop; }
    void SetGate(CheckGate* gate) { gate_ = gate; }

protected:
    ~ICRCChecker() override = default;
    // Passed between read chunks: false when the check is to give up.
    bool GoOn() const { return !(stop_ && stop_->load(std::memory_order_relaxed)) && (!gate_ || gate_->Pass()); }

private:
    const std::atomic<bool>* stop_ = nullptr;
    CheckGate* gate_ = nullptr;
};

// Makes a checker of one kind; each thread that checks files has its own.
using CheckerFactory = RefPtr<ICRCChecker> (*)();

}  // namespace Game
