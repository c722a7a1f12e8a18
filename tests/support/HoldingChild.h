#pragma once
// A child process that takes something another process must find taken (a lock, a
// mutex) and keeps it until the test lets it go: take runs in the child and answers
// whether it holds; the parent waits for that answer over a pipe (at most 10 s), and the
// child waits on a second pipe until the parent closes its end.
//
//   HoldingChild holder([&] { return new NamedMutex(name, 0, 0)->IsOwned(); });
//   ASSERT_TRUE(holder.Holds());
//   ... the mutex is taken ...
//   ASSERT_TRUE(holder.Release());
#include <sys/types.h>

#include <functional>

class HoldingChild {
public:
    // What take makes stays until the child ends: it ends with _exit, which destroys
    // nothing. A take that answers false ends the child at once.
    explicit HoldingChild(const std::function<bool()>& take);
    // Releases the child when it still holds.
    ~HoldingChild();
    HoldingChild(const HoldingChild&) = delete;
    HoldingChild& operator=(const HoldingChild&) = delete;

    bool Holds() const { return pid_ > 0; }
    // Lets the child go and waits for its end; true when it ended with 0. False when it
    // never held.
    bool Release();

private:
    pid_t pid_ = -1;
    int release_ = -1;
};

// Waits for the child pid to end (through EINTR); false when it did not exit by itself,
// else code is its exit code.
bool WaitForChildExit(pid_t pid, int& code);
