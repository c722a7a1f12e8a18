#include "engine/checks/FileReadAhead.h"

#include <system_error>

#include "engine/gamedata/GameFile.h"

namespace Game {
namespace {

// How far ahead of the front it reads, in files and in bytes. Once that far it waits
// for the front to come half way.
constexpr std::size_t kAheadFiles = 64;
constexpr std::uint64_t kAheadBytes = 32ull << 20;

}  // namespace

FileReadAhead::FileReadAhead(std::vector<File> files) : files_(std::move(files)), before_(files_.size() + 1, 0) {
    for (std::size_t i = 0; i < files_.size(); ++i) before_[i + 1] = before_[i] + files_[i].head;
    try {
        thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        // Without it the files are read all the same, only as they are taken.
    }
}

FileReadAhead::~FileReadAhead() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        quit_.store(true);
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void FileReadAhead::Taken(std::size_t taken) {
    taken_.store(taken);
    if (taken < wakeAt_.load()) return;
    std::lock_guard<std::mutex> guard(lock_);
    changed_.notify_all();
}

void FileReadAhead::Run() {
    for (std::size_t position = 0; position < files_.size();) {
        const std::size_t taken = taken_.load();
        // What the hashing threads took is theirs already.
        if (position < taken) position = taken;
        if (position >= files_.size()) break;
        const std::size_t ahead = position - taken;
        if (ahead >= kAheadFiles || before_[position] - before_[taken] >= kAheadBytes) {
            std::unique_lock<std::mutex> guard(lock_);
            wakeAt_.store(taken + (ahead + 1) / 2);
            changed_.wait(guard, [this] { return quit_.load() || taken_.load() >= wakeAt_.load(); });
            if (quit_.load()) return;
            continue;
        }
        if (quit_.load()) return;
        const File& file = files_[position++];
        GameFile opened;
        if (file.head > 0 && opened.Open(file.path)) opened.Prefetch(0, file.head);
    }
}

}  // namespace Game
