#include "HubEndpoint.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "hublink/PacketFormat.h"

namespace {

using Clock = std::chrono::steady_clock;

// Waits for events on fd until the deadline; false on time-out.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd entry{fd, events, 0};
        const int ready = poll(&entry, 1, left > 0 ? static_cast<int>(left) : 0);
        if (ready < 0 && errno == EINTR) continue;
        return ready > 0;
    }
}

Clock::time_point After(int timeoutMs) { return Clock::now() + std::chrono::milliseconds(timeoutMs); }

}  // namespace

std::unique_ptr<HubEndpoint> HubEndpoint::Listen(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) return nullptr;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return nullptr;
    unlink(path.c_str());
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || listen(fd, 16) != 0) {
        close(fd);
        return nullptr;
    }
    return std::unique_ptr<HubEndpoint>(new HubEndpoint(fd, path));
}

HubEndpoint::~HubEndpoint() { StopListening(); }

bool HubEndpoint::Accept(int timeoutMs) {
    if (listener_ < 0 || !WaitFor(listener_, POLLIN, After(timeoutMs))) return false;
    const int fd = accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return false;
    connection_ = PacketSocket(fd);
    return true;
}

void HubEndpoint::StopListening() {
    if (listener_ < 0) return;
    close(listener_);
    listener_ = -1;
    unlink(path_.c_str());
}

bool HubEndpoint::SendDatagram(const std::string& bytes, int timeoutMs) {
    const auto deadline = After(timeoutMs);
    for (;;) {
        switch (connection_.Send(bytes.data(), bytes.size())) {
            case PacketIo::Done:
                return true;
            case PacketIo::Closed:
                return false;
            case PacketIo::WouldBlock:
                if (!WaitFor(connection_.Fd(), POLLOUT, deadline)) return false;
                break;
        }
    }
}

bool HubEndpoint::SendMessage(const std::string& message, int timeoutMs) {
    std::deque<ByteVector> packets;
    VTInterCom::AppendMessagePackets(reinterpret_cast<const std::uint8_t*>(message.data()), message.size(), packets);
    for (const ByteVector& packet : packets) {
        if (!SendDatagram(std::string(reinterpret_cast<const char*>(packet.Data()), packet.Size()), timeoutMs))
            return false;
    }
    return true;
}

HubEndpoint::Read HubEndpoint::Receive(std::string& datagram, int timeoutMs) {
    const auto deadline = After(timeoutMs);
    datagram.resize(VTInterCom::kPacketBufferSize);
    for (;;) {
        std::size_t size = 0;
        switch (connection_.Receive(datagram.data(), datagram.size(), size)) {
            case PacketIo::Done:
                datagram.resize(size);
                return Read::Datagram;
            case PacketIo::Closed:
                return Read::Closed;
            case PacketIo::WouldBlock:
                if (!WaitFor(connection_.Fd(), POLLIN, deadline)) return Read::TimedOut;
                break;
        }
    }
}
