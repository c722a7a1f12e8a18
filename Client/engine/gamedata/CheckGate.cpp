#include "engine/gamedata/CheckGate.h"

namespace Game {

void CheckGate::SetPaused(bool paused) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        paused_.store(paused, std::memory_order_release);
    }
    changed_.notify_all();
}

void CheckGate::Stop() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        stop_.store(true, std::memory_order_release);
    }
    changed_.notify_all();
}

bool CheckGate::Pass() {
    // The open gate costs two loads: it is passed once per read chunk.
    if (!paused_.load(std::memory_order_acquire)) return !Stopped();
    std::unique_lock<std::mutex> guard(lock_);
    changed_.wait(guard, [this] { return !paused_.load(std::memory_order_relaxed) || Stopped(); });
    return !Stopped();
}

}  // namespace Game
