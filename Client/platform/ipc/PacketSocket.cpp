#include "platform/ipc/PacketSocket.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

PacketSocket& PacketSocket::operator=(PacketSocket&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

PacketSocket PacketSocket::Connect(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) return PacketSocket();
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return PacketSocket();
    // A local connect completes at once or fails: ENOENT and ECONNREFUSED (nobody
    // listens), EAGAIN (the listener's queue is full), EPROTOTYPE (another kind of socket).
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return PacketSocket();
    }
    return PacketSocket(fd);
}

void PacketSocket::Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

namespace {

// A read of zero bytes is an empty datagram unless the peer has gone.
bool PeerHasLeft(int fd) {
    pollfd entry{fd, POLLRDHUP, 0};
    return poll(&entry, 1, 0) > 0 && (entry.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

}  // namespace

PacketIo PacketSocket::Receive(void* buffer, std::size_t capacity, std::size_t& size) {
    size = 0;
    if (fd_ < 0) return PacketIo::Closed;
    for (;;) {
        iovec piece{buffer, capacity};
        msghdr message{};
        message.msg_iov = &piece;
        message.msg_iovlen = 1;
        const ssize_t n = recvmsg(fd_, &message, MSG_DONTWAIT);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return (errno == EAGAIN || errno == EWOULDBLOCK) ? PacketIo::WouldBlock : PacketIo::Closed;
        if ((message.msg_flags & MSG_TRUNC) != 0) return PacketIo::Closed;
        if (n == 0 && PeerHasLeft(fd_)) return PacketIo::Closed;
        size = static_cast<std::size_t>(n);
        return PacketIo::Done;
    }
}

PacketIo PacketSocket::Send(const void* data, std::size_t size) {
    if (fd_ < 0) return PacketIo::Closed;
    for (;;) {
        const ssize_t n = send(fd_, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return (errno == EAGAIN || errno == EWOULDBLOCK) ? PacketIo::WouldBlock : PacketIo::Closed;
        return static_cast<std::size_t>(n) == size ? PacketIo::Done : PacketIo::Closed;
    }
}

WakeEvent::WakeEvent() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

WakeEvent::~WakeEvent() {
    if (fd_ >= 0) close(fd_);
}

void WakeEvent::Signal() {
    if (fd_ < 0) return;
    const std::uint64_t one = 1;
    // A write that fails on a full counter leaves the event signalled all the same.
    while (write(fd_, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void WakeEvent::Reset() {
    if (fd_ < 0) return;
    std::uint64_t count = 0;
    while (read(fd_, &count, sizeof count) < 0 && errno == EINTR) {
    }
}

PacketWait PacketWait::For(const WakeEvent& wake, const PacketSocket& socket, bool wantWrite, int timeoutMs) {
    pollfd entries[2] = {{wake.fd_, POLLIN, 0}, {socket.Fd(), static_cast<short>(POLLIN | (wantWrite ? POLLOUT : 0)), 0}};
    const nfds_t count = socket.IsOpen() ? 2 : 1;
    PacketWait result;
    // An interrupted wait ends early with nothing to report; the caller's loop goes round again.
    if (poll(entries, count, timeoutMs) <= 0) return result;
    result.woken = (entries[0].revents & POLLIN) != 0;
    if (count == 2) {
        result.readable = (entries[1].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
        result.writable = (entries[1].revents & POLLOUT) != 0;
    }
    return result;
}
