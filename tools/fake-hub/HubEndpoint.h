#pragma once
// The hub's end of the hub socket: a listening SOCK_SEQPACKET socket and the one
// client connected to it, with datagram reads and writes that wait a bounded time.
// The fake hub serves through it, and tests use it to speak raw packets to the link.
#include <memory>
#include <string>

#include "platform/ipc/PacketSocket.h"

class HubEndpoint {
public:
    // Binds and listens at path, replacing a socket file left there. Null on failure.
    static std::unique_ptr<HubEndpoint> Listen(const std::string& path);
    ~HubEndpoint();
    HubEndpoint(const HubEndpoint&) = delete;
    HubEndpoint& operator=(const HubEndpoint&) = delete;

    // Waits at most timeoutMs for a client, which replaces the current one.
    bool Accept(int timeoutMs);
    bool IsConnected() const { return connection_.IsOpen(); }
    void CloseConnection() { connection_.Close(); }
    // Closes the listening socket and removes its file: nobody can connect any more.
    void StopListening();

    // One datagram, waiting at most timeoutMs for room.
    bool SendDatagram(const std::string& bytes, int timeoutMs);
    // One message, cut into packets the way the link's peer must send them.
    bool SendMessage(const std::string& message, int timeoutMs);

    enum class Read { Datagram, TimedOut, Closed };
    // One datagram of at most one packet buffer, waiting at most timeoutMs for it.
    Read Receive(std::string& datagram, int timeoutMs);

private:
    HubEndpoint(int listener, std::string path) : listener_(listener), path_(std::move(path)) {}

    int listener_;
    PacketSocket connection_;
    std::string path_;
};
