#pragma once
// The pause and stop of a file check, shared by the thread that reports and the threads
// that read: each passes the gate before every file and between read chunks, so a
// pause holds them all within one chunk and a stop ends them within one.
#include <atomic>
#include <condition_variable>
#include <mutex>

namespace Game {

class CheckGate {
public:
    void SetPaused(bool paused);
    // For good: a stopped gate never opens again.
    void Stop();
    bool Stopped() const { return stop_.load(std::memory_order_acquire); }

    // Waits while paused; false once stopped.
    bool Pass();

private:
    std::mutex lock_;
    std::condition_variable changed_;
    std::atomic<bool> paused_ {false};
    std::atomic<bool> stop_ {false};
};

}  // namespace Game
