#pragma once
// What another user of the machine can leave where the launcher looks, as an attack
// would: files, folders and shared-memory objects of "nobody", a lock such a user's
// process holds, and a /tmp of the test's own to leave them in. Only root can act for
// another user; the tests that need it skip elsewhere (or fail, where every test is
// required).
#include <sys/types.h>

#include <functional>
#include <string>

#include "support/HoldingChild.h"

constexpr uid_t kAnotherUid = 65534;  // "nobody"

bool CanActAsAnotherUser();
// Gives the file, folder or object to the other user (a link itself, not its target).
bool GiveToAnotherUser(const std::string& path);
bool GiveToAnotherUser(int fd);

// A process of the other user that opens path (made 0644 when missing) and holds an
// exclusive flock on it until the object goes.
class AnotherUsersLock {
public:
    explicit AnotherUsersLock(const std::string& path);

    bool Holds() const { return holder_.Holds(); }

private:
    HoldingChild holder_;
};

// Runs body in a child process with a mount namespace of its own whose /tmp is a fresh
// tmpfs: what the body leaves in /tmp, or finds there, is the test's alone, and nothing
// of the machine's /tmp is seen or touched. The child's exit code is body's result; -1
// when the child could not be set up (then the body has not run).
int RunWithPrivateTmp(const std::function<int()>& body);
