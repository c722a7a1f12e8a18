#pragma once
// Reads ahead of the threads that hash a list of files: a thread of its own opens the
// files next in line and asks the kernel for their first bytes, so that a hashing thread
// finds them in memory. Small files are each one wait for the disk; with the waits of
// the next files already under way, the hashing threads do not wait one by one.
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "base/runtime/String.h"

namespace Game {

class FileReadAhead {
public:
    struct File {
        String path;
        std::uint64_t head;  // how many of its first bytes to ask for
    };

    // files in the order they are taken; starts at once. It never waits for a pause:
    // once the hashing threads stop taking files it runs out of room ahead and rests.
    explicit FileReadAhead(std::vector<File> files);
    // Ends and joins the thread.
    ~FileReadAhead();
    FileReadAhead(const FileReadAhead&) = delete;
    FileReadAhead& operator=(const FileReadAhead&) = delete;

    // The hashing threads have taken the first taken files.
    void Taken(std::size_t taken);

private:
    void Run();

    std::vector<File> files_;
    // The bytes asked for before each file.
    std::vector<std::uint64_t> before_;
    std::atomic<std::size_t> taken_ {0};
    // Taken wakes the thread only once the front passes this mark.
    std::atomic<std::size_t> wakeAt_ {0};
    std::atomic<bool> quit_ {false};
    std::mutex lock_;
    std::condition_variable changed_;
    std::thread thread_;
};

}  // namespace Game
