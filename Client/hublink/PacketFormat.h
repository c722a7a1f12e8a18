#pragma once
// The hub pipe's packets. One datagram is one packet, little-endian:
//   u8 version (2), u8 kind, u16 payload length n, n payload bytes
// and at most 32768 bytes in all. A message travels as kind-1 packets of 32764 payload
// bytes while more than that remains, then one kind-2 packet with the rest; an empty
// message is one empty kind-2 packet. Kind 0, the handshake, opens every connection
// from the client side with five 32-bit words.
#include <cstddef>
#include <cstdint>
#include <deque>

#include "base/runtime/Vector.h"
#include "hublink/InterComTypes.h"

namespace VTInterCom {

constexpr std::size_t kPacketBufferSize = 0x8000;
constexpr std::size_t kPacketHeaderSize = 4;
constexpr std::size_t kMaxPacketPayload = kPacketBufferSize - kPacketHeaderSize;
constexpr std::uint8_t kPacketVersion = 2;

enum PacketKind : std::uint8_t {
    kHandshakePacket = 0,
    kFragmentPacket = 1,  // more of the message follows
    kLastPacket = 2,
};

ByteVector MakeHandshakePacket(const InterComHandshake& handshake);

// Appends the packets that carry one message.
void AppendMessagePackets(const std::uint8_t* message, std::size_t size, std::deque<ByteVector>& packets);

// Joins the payloads of fragment packets into messages. Packets that are not a
// well-formed fragment (short, another version, a length that disagrees with the
// datagram, handshakes) are ignored.
class Reassembler {
public:
    // A message longer than this is not buffered: the peer is broken or hostile.
    static constexpr std::size_t kMaxMessageBytes = 16u << 20;
    // The room kept between messages.
    static constexpr std::size_t kKeptBufferBytes = 4u << 20;

    enum class Result { Ignored, Partial, Complete, Overflow };

    // Complete: the message waits in TakeMessage. Overflow: the partial message is
    // dropped and the connection should be closed.
    Result Add(const std::uint8_t* datagram, std::size_t size);
    // The completed message followed by one zero byte.
    ByteVector TakeMessage();
    // Forgets a partial message (a new connection starts clean).
    void Clear() { buffer_.Clear(); }

private:
    ByteVector buffer_;
    ByteVector complete_;
};

}  // namespace VTInterCom
