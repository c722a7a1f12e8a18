#include "engine/checks/HashPool.h"

#include <sched.h>

#include <algorithm>
#include <system_error>

#include "engine/gamedata/CRCChecker5.h"
#include "engine/gamedata/ChunkedReader.h"

namespace Game {

unsigned HashPool::MachineThreads() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0) return CPU_COUNT(&set);
    const unsigned online = std::thread::hardware_concurrency();
    return online > 0 ? online : 1;
}

HashPool::HashPool(std::vector<Job> jobs, CheckerFactory makeChecker, CheckGate* gate, unsigned threads)
    : jobs_(std::move(jobs)), makeChecker_(makeChecker), gate_(gate), codes_(jobs_.size(), kPending) {
    if (threads == 0) threads = MachineThreads();
    threads = static_cast<unsigned>(std::min<std::size_t>(threads, jobs_.size()));
    if (threads < 2) return;
    Schedule(threads);
    std::vector<FileReadAhead::File> files;
    files.reserve(order_.size());
    for (std::size_t index : order_) {
        const Job& job = jobs_[index];
        // Of a large file only the first piece: its thread asks for the next ones itself.
        const std::uint64_t head = std::min<std::uint64_t>(ReadBytes(job), ChunkedReader::kMaxPiece);
        files.push_back({job.folderPath + job.content->name, head});
    }
    readAhead_ = std::make_unique<FileReadAhead>(std::move(files));
    StartThreads(threads);
}

HashPool::~HashPool() {
    quit_.store(true, std::memory_order_relaxed);
    for (std::thread& thread : threads_) thread.join();
}

std::uint64_t HashPool::ReadBytes(const Job& job) const {
    const bool whole = job.forceHash || (job.content->Flags() & kCompareHash) != 0;
    return whole ? job.content->size : std::min<std::uint64_t>(job.content->size, CRCChecker5::kQuickWhole);
}

// A file hashes on one thread, at about 1/threads of the pool's rate, so it is started
// once the list-order front is threads times its own bytes before it: it then ends
// about when the front reaches it.
void HashPool::Schedule(unsigned threads) {
    std::vector<std::int64_t> start(jobs_.size());
    std::int64_t before = 0;
    for (std::size_t i = 0; i < jobs_.size(); ++i) {
        const std::int64_t bytes = static_cast<std::int64_t>(ReadBytes(jobs_[i]));
        start[i] = before - static_cast<std::int64_t>(threads) * bytes;
        before += bytes;
    }
    order_.resize(jobs_.size());
    for (std::size_t i = 0; i < order_.size(); ++i) order_[i] = i;
    std::stable_sort(order_.begin(), order_.end(), [&](std::size_t a, std::size_t b) { return start[a] < start[b]; });
}

void HashPool::StartThreads(unsigned threads) {
    threads_.reserve(threads);
    for (unsigned i = 0; i < threads; ++i) {
        {
            std::lock_guard<std::mutex> guard(lock_);
            ++running_;
        }
        try {
            threads_.emplace_back([this] { Work(); });
        } catch (const std::system_error&) {
            // Fewer threads check the same list; with none, Result checks on its caller.
            std::lock_guard<std::mutex> guard(lock_);
            --running_;
            break;
        }
    }
}

bool HashPool::Stopping() const {
    return quit_.load(std::memory_order_relaxed) || (gate_ && gate_->Stopped());
}

int HashPool::CheckJob(ICRCChecker& checker, std::size_t index) {
    const Job& job = jobs_[index];
    if (gate_ && !gate_->Pass()) return kAbandoned;
    if (quit_.load(std::memory_order_relaxed)) return kAbandoned;
    if (job.forceHash) job.content->AddFlags(kCompareHash);
    const int code = checker.Check(job.folderPath, job.content);
    // A file whose reading a stop cut short was not really checked.
    return Stopping() ? kAbandoned : code;
}

void HashPool::Work() {
    RefPtr<ICRCChecker> checker = makeChecker_();
    checker->SetStopFlag(&quit_);
    checker->SetGate(gate_);
    for (;;) {
        std::size_t index;
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (next_ == order_.size()) break;
            index = order_[next_++];
            readAhead_->Taken(next_);
        }
        const int code = CheckJob(*checker, index);
        bool awaited;
        {
            std::lock_guard<std::mutex> guard(lock_);
            codes_[index] = code;
            awaited = index == awaited_;
        }
        // Only the code Result waits for wakes it: one wake-up per file would cost more
        // than many a small file's hash.
        if (awaited) changed_.notify_all();
        if (code == kAbandoned) break;
    }
    {
        std::lock_guard<std::mutex> guard(lock_);
        --running_;
    }
    changed_.notify_all();
}

bool HashPool::Result(std::size_t index, int& code) {
    if (index >= jobs_.size()) return false;
    if (threads_.empty()) {
        if (!callerChecker_) {
            callerChecker_ = makeChecker_();
            callerChecker_->SetGate(gate_);
        }
        code = CheckJob(*callerChecker_, index);
        return code != kAbandoned;
    }
    std::unique_lock<std::mutex> guard(lock_);
    awaited_ = index;
    changed_.wait(guard, [&] { return codes_[index] != kPending || running_ == 0; });
    awaited_ = kNone;
    code = codes_[index];
    return code >= 0;
}

}  // namespace Game
