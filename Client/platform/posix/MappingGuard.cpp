#include "platform/posix/MappingGuard.h"

#include <signal.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/FileMapping.h"

// Why a handler: copying every large file costs its whole size in memory, and a read
// lease (F_SETLEASE) only delays the truncation and only for the file's owner. A fixed
// table of live ranges needs no lock and no allocation, so the handler can scan it.
namespace Posix {
namespace {

// Only read-only files above the copy limit are mapped, so few mappings live at once;
// a full table makes the open fail rather than map without a guard.
constexpr std::size_t kSlots = 256;
enum : int { kFree, kClaimed, kLive };

struct Slot {
    std::atomic<int> state{kFree};
    std::atomic<std::uintptr_t> begin{0};
    std::atomic<std::uintptr_t> end{0};  // page-rounded, as the mapping itself
    std::atomic<bool> damaged{false};
};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<std::uintptr_t>::is_always_lock_free &&
              std::atomic<bool>::is_always_lock_free);

Slot slots[kSlots];
std::uintptr_t pageSize = 4096;

// The handler found under ours, written once before ours is installed. Installing once
// keeps the chain simple, but a library that later replaces the handler without chaining
// switches the guard off from then on: libtorrent's disk threads do, the first time they
// touch a file they mapped, which is why torrent sessions never let them map one.
struct sigaction previous {};

void DefaultAction(const siginfo_t* info) {
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    ::sigaction(SIGBUS, &fallback, nullptr);
    // A fault recurs on return and now ends the process; a sent signal must be sent again.
    if (info->si_code <= 0) ::raise(SIGBUS);
}

void PassOn(int signal, siginfo_t* info, void* context) {
    if (previous.sa_flags & SA_SIGINFO) {
        previous.sa_sigaction(signal, info, context);
    } else if (previous.sa_handler == SIG_IGN) {
        if (info->si_code > 0) DefaultAction(info);  // an ignored fault would only recur forever
    } else if (previous.sa_handler == SIG_DFL) {
        DefaultAction(info);
    } else {
        previous.sa_handler(signal);
    }
}

void OnBus(int signal, siginfo_t* info, void* context) {
    const int savedErrno = errno;
    if (info->si_code == BUS_ADRERR) {  // an access past the end of a mapped file
        const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
        for (Slot& slot : slots) {
            if (slot.state.load(std::memory_order_acquire) != kLive) continue;
            const std::uintptr_t end = slot.end.load(std::memory_order_relaxed);
            if (address < slot.begin.load(std::memory_order_relaxed) || address >= end) continue;
            // mmap is not on the list of async-signal-safe functions, but on Linux it is one
            // system call with no state in user space; made raw, it also skips any wrapper
            // that a sanitizer puts around mmap.
            const std::uintptr_t page = address & ~(pageSize - 1);
            const long zeros = ::syscall(SYS_mmap, page, end - page, PROT_READ,
                                         MAP_FIXED | MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            if (zeros == -1) break;  // the process cannot go on past this load
            slot.damaged.store(true, std::memory_order_release);
            errno = savedErrno;
            return;
        }
    }
    PassOn(signal, info, context);
    errno = savedErrno;
}

bool Install() {
    static const bool installed = [] {
        const long page = ::sysconf(_SC_PAGESIZE);
        if (page > 0) pageSize = static_cast<std::uintptr_t>(page);
        struct sigaction ours {};
        ours.sa_sigaction = OnBus;
        sigemptyset(&ours.sa_mask);
        // SA_ONSTACK: a thread with an alternate signal stack (sanitizers give each thread
        // one) takes the signal there, as the handler below ours may expect.
        ours.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESTART;
        return ::sigaction(SIGBUS, nullptr, &previous) == 0 && ::sigaction(SIGBUS, &ours, nullptr) == 0;
    }();
    return installed;
}

const std::atomic<bool>* Guard(const void* begin, std::size_t length) {
    if (!Install()) return nullptr;
    const auto first = reinterpret_cast<std::uintptr_t>(begin);
    for (Slot& slot : slots) {
        int expected = kFree;
        if (!slot.state.compare_exchange_strong(expected, kClaimed, std::memory_order_acq_rel)) continue;
        slot.begin.store(first, std::memory_order_relaxed);
        slot.end.store(first + (length + pageSize - 1) / pageSize * pageSize, std::memory_order_relaxed);
        slot.damaged.store(false, std::memory_order_relaxed);
        slot.state.store(kLive, std::memory_order_release);
        return &slot.damaged;
    }
    return nullptr;
}

}  // namespace

std::uint8_t* MapGuarded(int fd, std::uint64_t offset, std::size_t length, const std::atomic<bool>*& damaged) {
    void* view = MapRange(fd, offset, length, false);
    if (!view) return nullptr;
    damaged = Guard(view, length);
    if (!damaged) {
        UnmapRange(view, length);
        return nullptr;
    }
    return static_cast<std::uint8_t*>(view);
}

void UnmapGuarded(std::uint8_t* view, std::size_t length, const std::atomic<bool>* damaged) {
    // The guard ends first: once unmapped, the addresses may belong to another mapping.
    for (Slot& slot : slots) {
        if (&slot.damaged == damaged) slot.state.store(kFree, std::memory_order_release);
    }
    UnmapRange(view, length);
}

}  // namespace Posix
