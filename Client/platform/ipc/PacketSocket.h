#pragma once
// A local packet socket (AF_UNIX, SOCK_SEQPACKET): a connection that keeps message
// boundaries, one datagram per send, the way a message-mode pipe does. Descriptors are
// non-blocking and close-on-exec; a wake event lets another thread interrupt a wait.
#include <cstddef>
#include <string>

enum class PacketIo {
    Done,        // one datagram sent or received
    WouldBlock,  // try again once the socket is ready
    Closed,      // the peer left, an error, or a datagram too long for the buffer
};

class PacketSocket {
public:
    PacketSocket() = default;
    ~PacketSocket() { Close(); }
    PacketSocket(PacketSocket&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    PacketSocket& operator=(PacketSocket&& other) noexcept;
    PacketSocket(const PacketSocket&) = delete;
    PacketSocket& operator=(const PacketSocket&) = delete;

    // Takes over a connected descriptor.
    explicit PacketSocket(int fd) : fd_(fd) {}

    // A connection to the listener at path; not open when nobody listens there, the
    // listener's queue is full, the socket there is of another type, or the path does
    // not fit a socket address.
    static PacketSocket Connect(const std::string& path);

    bool IsOpen() const { return fd_ >= 0; }
    int Fd() const { return fd_; }
    void Close();

    // Reads one datagram of at most capacity bytes. A longer one counts as Closed: its
    // tail is lost, so the stream of messages cannot be trusted any more.
    PacketIo Receive(void* buffer, std::size_t capacity, std::size_t& size);
    // Sends one datagram, whole or not at all.
    PacketIo Send(const void* data, std::size_t size);

private:
    int fd_ = -1;
};

// A manual-reset event on an eventfd: signalled until reset.
class WakeEvent {
public:
    WakeEvent();
    ~WakeEvent();
    WakeEvent(const WakeEvent&) = delete;
    WakeEvent& operator=(const WakeEvent&) = delete;

    bool IsValid() const { return fd_ >= 0; }
    void Signal();
    void Reset();

private:
    friend struct PacketWait;
    int fd_ = -1;
};

// What ended a wait.
struct PacketWait {
    bool woken = false;     // the event is signalled
    bool readable = false;  // a datagram, the peer's end or an error waits on the socket
    bool writable = false;  // the socket takes a datagram again

    // Waits at most timeoutMs for the event, and for the socket when it is open:
    // readable always, writable when asked for.
    static PacketWait For(const WakeEvent& wake, const PacketSocket& socket, bool wantWrite, int timeoutMs);
};
