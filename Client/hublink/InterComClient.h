#pragma once
// The transport to the game hub. A worker thread finds the hub's socket (trying the
// names in turn, four attempts each, one every 100 ms, and starting the hub once per
// disconnected period when nothing has answered for the time-out), opens every
// connection with the handshake, cuts outgoing messages into packets and joins
// incoming ones. Whole messages cross to and from the owner's thread through two
// queues under one lock; the socket and the buffers belong to the worker alone.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/runtime/String.h"
#include "base/runtime/Vector.h"
#include "hublink/InterComTypes.h"
#include "hublink/PacketFormat.h"
#include "platform/ipc/PacketSocket.h"
#include "platform/process/ProcessHandle.h"

namespace VTInterCom {

struct LinkOptions {
    // Where the hub's sockets live; "" is the user's private runtime folder.
    std::string socketFolder;
    // Between two connection attempts while disconnected.
    int attemptPeriodMs = 100;
    // Replaces the time-out before the hub is started (tests shorten it).
    std::optional<int> hubStartTimeoutMs;
};

class CInterComClient {
public:
    // The worker's longest sleep while connected; it wakes earlier for outgoing messages.
    static constexpr int kConnectedWaitMs = 60000;
    // Whole messages waiting for the owner; a hub that floods past this is cut off.
    static constexpr std::size_t kMaxQueuedIncomingBytes = 64u << 20;

    // Starts the worker. baseNames name sockets in the folder of the options; the hub
    // path (empty: never start one) is the program started after hubStartTimeoutMs.
    CInterComClient(const StringVector& baseNames, const WideString& hubPath, int hubStartTimeoutMs,
                    int triesPerName, const InterComHandshake& handshake, const LinkOptions& options);
    // Stops the worker and waits for it; a hub that stopped reading does not hold it up.
    virtual ~CInterComClient();
    CInterComClient(const CInterComClient&) = delete;
    CInterComClient& operator=(const CInterComClient&) = delete;

    // Queues a message while connected; false (and the message is lost) otherwise.
    bool Send(ByteVector message);
    // The oldest whole message (ending in one zero byte), if any. reconnected tells
    // whether a connection was made since the previous call.
    std::optional<ByteVector> Receive(bool& reconnected);
    bool IsConnected();
    // Drops the connection; the worker goes on with the next name.
    void RequestDisconnect();
    // Never start the hub from now on.
    void DisableAutoStart();

private:
    void ConnectionLoop();
    bool OpenPipe(const std::string& path);
    void StartHub();
    void ReapEndedHubs();
    void FlushOutgoing();
    bool StartWrite();
    void ReadAvailable();
    bool OnPacketRead(const std::uint8_t* datagram, std::size_t size);
    void ClosePipe();

    // Written by the owner's thread, read by the worker after it wakes.
    std::atomic<bool> quit_{false};
    std::atomic<bool> disconnectRequest_{false};
    std::atomic<bool> autoStartDisabled_{false};

    std::vector<std::string> pipePaths_;
    InterComHandshake handshake_;
    std::string hubPath_;
    int hubStartTimeoutMs_;
    int triesPerName_;
    int attemptPeriodMs_;
    WakeEvent wake_;

    std::mutex lock_;  // guards the five below
    bool connected_ = false;
    bool connectedSinceLastReceive_ = false;
    std::deque<ByteVector> outgoingMessages_;
    std::deque<ByteVector> incomingMessages_;
    std::size_t incomingBytes_ = 0;

    // The worker's own.
    PacketSocket pipe_;
    bool writePending_ = false;
    Reassembler reassembler_;
    std::deque<ByteVector> outgoingPackets_;
    std::vector<std::uint8_t> readBuffer_;
    std::vector<ProcessHandle> startedHubs_;

    std::thread worker_;
};

}  // namespace VTInterCom
