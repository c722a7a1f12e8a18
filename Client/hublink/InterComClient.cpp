#include "hublink/InterComClient.h"

#include <algorithm>
#include <chrono>
#include <system_error>
#include <utility>

#include "base/runtime/StrUtil.h"
#include "platform/ipc/RuntimePath.h"
#include "platform/process/ChildReaper.h"
#include "platform/process/ProcessSpawn.h"

namespace VTInterCom {

namespace {

// Datagrams read in one go before the worker looks at its flags again.
constexpr int kMaxReadsPerWake = 64;

std::int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

CInterComClient::CInterComClient(const StringVector& baseNames, const WideString& hubPath, int hubStartTimeoutMs,
                                 int triesPerName, const InterComHandshake& handshake, const LinkOptions& options)
    : handshake_(handshake),
      hubStartTimeoutMs_(hubStartTimeoutMs),
      triesPerName_(triesPerName),
      attemptPeriodMs_(options.attemptPeriodMs),
      readBuffer_(kPacketBufferSize) {
    const std::string folder = options.socketFolder.empty() ? PrivateRuntimeFolder() : options.socketFolder;
    for (const String& name : baseNames) pipePaths_.push_back(folder.empty() ? std::string() : folder + "/" + name.CStr());
    std::string path;
    if (StrUtil::WideToUtf8Std(path, hubPath.Std())) hubPath_ = path;
    // Without its wake event the worker could never be stopped; the link then stays down.
    if (pipePaths_.empty() || !wake_.IsValid()) return;
    try {
        worker_ = std::thread(&CInterComClient::ConnectionLoop, this);
    } catch (const std::system_error&) {
    }
}

CInterComClient::~CInterComClient() {
    quit_ = true;
    disconnectRequest_ = true;
    wake_.Signal();
    if (worker_.joinable()) worker_.join();
    // Nobody waits for a hub; the main loop reaps the ones still running when they end.
    for (ProcessHandle& hub : startedHubs_) ReapWhenEnded(std::move(hub));
}

bool CInterComClient::Send(ByteVector message) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!connected_) return false;
    outgoingMessages_.push_back(std::move(message));
    wake_.Signal();
    return true;
}

std::optional<ByteVector> CInterComClient::Receive(bool& reconnected) {
    std::lock_guard<std::mutex> guard(lock_);
    reconnected = connectedSinceLastReceive_;
    connectedSinceLastReceive_ = false;
    if (incomingMessages_.empty()) return std::nullopt;
    ByteVector message = std::move(incomingMessages_.front());
    incomingMessages_.pop_front();
    incomingBytes_ -= message.Size();
    return message;
}

bool CInterComClient::IsConnected() {
    std::lock_guard<std::mutex> guard(lock_);
    return connected_;
}

void CInterComClient::RequestDisconnect() {
    disconnectRequest_ = true;
    wake_.Signal();
}

void CInterComClient::DisableAutoStart() { autoStartDisabled_ = true; }

void CInterComClient::ConnectionLoop() {
    std::size_t name = 0;
    int failures = 0;
    int waitMs = 0;
    // The disconnected period that is being timed, and the one that led to the last
    // connection: a disconnect request goes back to it, a lost link starts a new one.
    std::optional<std::int64_t> periodStart;
    std::optional<std::int64_t> savedPeriodStart;
    bool hubStartAllowed = true;
    for (;;) {
        ReapEndedHubs();
        if (!pipe_.IsOpen()) {
            if (quit_) return;
            waitMs = attemptPeriodMs_;
            if (name >= pipePaths_.size()) name = 0;
            if (!periodStart) periodStart = NowMs();
            if (OpenPipe(pipePaths_[name])) {
                waitMs = kConnectedWaitMs;
                hubStartAllowed = true;
                savedPeriodStart = periodStart;
                periodStart.reset();
            } else {
                if (++failures > triesPerName_) {
                    ++name;
                    failures = 0;
                }
                if (hubStartAllowed && !autoStartDisabled_ && NowMs() - *periodStart >= hubStartTimeoutMs_) {
                    StartHub();
                    hubStartAllowed = false;
                }
            }
        }

        const PacketWait ready = PacketWait::For(wake_, pipe_, writePending_, waitMs);
        if (ready.readable) ReadAvailable();
        if (ready.writable && writePending_) {
            writePending_ = false;
            if (!StartWrite()) ClosePipe();
        }
        if (disconnectRequest_) {
            ++name;
            failures = 0;
            ClosePipe();
            if (savedPeriodStart) periodStart = savedPeriodStart;
        }
        if (ready.woken) FlushOutgoing();
    }
}

bool CInterComClient::OpenPipe(const std::string& path) {
    pipe_ = PacketSocket::Connect(path);
    if (!pipe_.IsOpen()) return false;
    reassembler_.Clear();
    outgoingPackets_.clear();
    writePending_ = false;
    outgoingPackets_.push_back(MakeHandshakePacket(handshake_));
    if (!StartWrite()) {
        ClosePipe();
        return false;
    }
    std::lock_guard<std::mutex> guard(lock_);
    connected_ = true;
    connectedSinceLastReceive_ = true;
    return true;
}

void CInterComClient::StartHub() {
    if (hubPath_.empty()) return;
    // The path is the program's argv[0] as it stands: blanks in it need no quoting.
    ProcessHandle hub = SpawnChild({hubPath_, {hubPath_}, std::string()});
    if (hub.IsValid()) startedHubs_.push_back(std::move(hub));
}

void CInterComClient::ReapEndedHubs() {
    startedHubs_.erase(std::remove_if(startedHubs_.begin(), startedHubs_.end(),
                                      [](ProcessHandle& hub) { return hub.Poll() != ProcessState::Running; }),
                       startedHubs_.end());
}

void CInterComClient::FlushOutgoing() {
    std::deque<ByteVector> messages;
    bool connected = false;
    {
        std::lock_guard<std::mutex> guard(lock_);
        wake_.Reset();
        messages.swap(outgoingMessages_);
        connected = connected_;
    }
    // Messages queued before the link dropped are lost with it.
    if (!connected) return;
    for (const ByteVector& message : messages) AppendMessagePackets(message.Data(), message.Size(), outgoingPackets_);
    if (!writePending_ && !StartWrite()) ClosePipe();
}

bool CInterComClient::StartWrite() {
    while (!outgoingPackets_.empty()) {
        const ByteVector& packet = outgoingPackets_.front();
        switch (pipe_.Send(packet.Data(), packet.Size())) {
            case PacketIo::Done:
                outgoingPackets_.pop_front();
                break;
            case PacketIo::WouldBlock:
                writePending_ = true;
                return true;
            case PacketIo::Closed:
                return false;
        }
    }
    return true;
}

void CInterComClient::ReadAvailable() {
    for (int i = 0; i < kMaxReadsPerWake && pipe_.IsOpen(); ++i) {
        std::size_t size = 0;
        const PacketIo result = pipe_.Receive(readBuffer_.data(), readBuffer_.size(), size);
        if (result == PacketIo::WouldBlock) return;
        if (result == PacketIo::Closed || !OnPacketRead(readBuffer_.data(), size)) ClosePipe();
    }
}

bool CInterComClient::OnPacketRead(const std::uint8_t* datagram, std::size_t size) {
    switch (reassembler_.Add(datagram, size)) {
        case Reassembler::Result::Overflow:
            return false;
        case Reassembler::Result::Complete: {
            ByteVector message = reassembler_.TakeMessage();
            std::lock_guard<std::mutex> guard(lock_);
            if (incomingBytes_ + message.Size() > kMaxQueuedIncomingBytes) return false;
            incomingBytes_ += message.Size();
            incomingMessages_.push_back(std::move(message));
            return true;
        }
        case Reassembler::Result::Ignored:
        case Reassembler::Result::Partial:
            return true;
    }
    return true;
}

void CInterComClient::ClosePipe() {
    disconnectRequest_ = false;
    writePending_ = false;
    if (!pipe_.IsOpen()) return;
    {
        std::lock_guard<std::mutex> guard(lock_);
        connected_ = false;
        connectedSinceLastReceive_ = false;
    }
    pipe_.Close();
}

}  // namespace VTInterCom
