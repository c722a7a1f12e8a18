#pragma once
// An X display of the test's own (Xvfb, found on PATH), so GUI tests need no desktop
// and leave none behind. The server ends with the object. Start it before entering a
// network namespace of one's own: there the server would see none of the machine's
// abstract X sockets, take a display number already in use and replace that display's
// socket file, which clients in other private networks depend on.
#include <string>
#include <sys/types.h>

class PrivateXvfb {
public:
    PrivateXvfb() = default;
    ~PrivateXvfb();
    PrivateXvfb(const PrivateXvfb&) = delete;
    PrivateXvfb& operator=(const PrivateXvfb&) = delete;

    // False when Xvfb is missing or did not report its display within 5 s.
    bool Start();
    const std::string& Display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};
