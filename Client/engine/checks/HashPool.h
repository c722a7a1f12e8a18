#pragma once
// Checks a list of files on a set of threads and hands the codes back in list order,
// so that whoever reports them reports exactly what one thread checking the list in
// order would. Each thread has a checker of its own (a checker's buffer is not
// shared). A large file is one thread's work from its first byte to its last, so large
// files are started early, in proportion to their size: none is left hashing alone at
// the end, and small files still go in list order, so the codes come back steadily.
// A thread of its own asks for the next files' first bytes while the current ones hash.
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "base/runtime/RefCounter.h"
#include "base/runtime/String.h"
#include "engine/checks/FileReadAhead.h"
#include "engine/gamedata/CheckGate.h"
#include "engine/gamedata/ICRCChecker.h"

namespace Game {

class HashPool {
public:
    struct Job {
        String folderPath;  // root + folder name, as the checker takes it
        // Kept alive by the caller's version object for the pool's lifetime.
        GameFolder::Content* content = nullptr;
        // Sets flag bit 0 in the shared object before the check (the full check).
        bool forceHash = false;
    };

    // The processors this process may run on.
    static unsigned MachineThreads();

    // Starts checking at once on threads threads (0: one per processor; never more
    // than there are jobs). With one, no thread is started: Result checks each job on
    // its caller's thread, which is the plain check of the list in order. The gate,
    // when given, pauses and stops the checks before every file and between read chunks.
    HashPool(std::vector<Job> jobs, CheckerFactory makeChecker, CheckGate* gate = nullptr, unsigned threads = 0);
    // Abandons the files not checked yet and joins every thread.
    ~HashPool();
    HashPool(const HashPool&) = delete;
    HashPool& operator=(const HashPool&) = delete;

    // The code of job index, waiting for it; false when the job will not be checked
    // (the gate stopped). Asked in list order. When no thread could be started, the
    // jobs are checked here too.
    bool Result(std::size_t index, int& code);
    const std::vector<Job>& Jobs() const { return jobs_; }

private:
    static constexpr int kPending = -1;
    static constexpr int kAbandoned = -2;

    // The bytes the check will read of a job's file.
    std::uint64_t ReadBytes(const Job& job) const;
    void Schedule(unsigned threads);
    void StartThreads(unsigned threads);
    void Work();
    // The code of one job, or kAbandoned when a stop came first or cut it short.
    int CheckJob(ICRCChecker& checker, std::size_t index);
    bool Stopping() const;

    std::vector<Job> jobs_;
    CheckerFactory makeChecker_;
    CheckGate* gate_;
    // Job indices in the order they are started, and the next one to start.
    std::vector<std::size_t> order_;
    std::size_t next_ = 0;
    std::atomic<bool> quit_ {false};

    std::mutex lock_;
    std::condition_variable changed_;
    std::vector<int> codes_;
    // The job Result waits for, if it waits.
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t awaited_ = kNone;
    unsigned running_ = 0;
    std::unique_ptr<FileReadAhead> readAhead_;
    std::vector<std::thread> threads_;
    RefPtr<ICRCChecker> callerChecker_;
};

}  // namespace Game
