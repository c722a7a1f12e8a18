#include "hublink/PacketFormat.h"

#include <utility>

namespace VTInterCom {

namespace {

void AppendHeader(ByteVector& packet, std::uint8_t kind, std::size_t payload) {
    const std::uint8_t header[kPacketHeaderSize] = {kPacketVersion, kind, static_cast<std::uint8_t>(payload & 0xff),
                                                    static_cast<std::uint8_t>(payload >> 8)};
    packet.Append(header, sizeof header);
}

}  // namespace

ByteVector MakeHandshakePacket(const InterComHandshake& handshake) {
    ByteVector packet;
    AppendHeader(packet, kHandshakePacket, sizeof handshake.words);
    for (std::uint32_t word : handshake.words) {
        const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(word), static_cast<std::uint8_t>(word >> 8),
                                       static_cast<std::uint8_t>(word >> 16), static_cast<std::uint8_t>(word >> 24)};
        packet.Append(bytes, sizeof bytes);
    }
    return packet;
}

void AppendMessagePackets(const std::uint8_t* message, std::size_t size, std::deque<ByteVector>& packets) {
    std::size_t offset = 0;
    for (;;) {
        const std::size_t rest = size - offset;
        const bool last = rest <= kMaxPacketPayload;
        const std::size_t payload = last ? rest : kMaxPacketPayload;
        ByteVector packet;
        packet.Reserve(kPacketHeaderSize + payload);
        AppendHeader(packet, last ? kLastPacket : kFragmentPacket, payload);
        packet.Append(message + offset, payload);
        packets.push_back(std::move(packet));
        if (last) return;
        offset += payload;
    }
}

Reassembler::Result Reassembler::Add(const std::uint8_t* datagram, std::size_t size) {
    if (size < kPacketHeaderSize || datagram[0] != kPacketVersion) return Result::Ignored;
    const std::uint8_t kind = datagram[1];
    const std::size_t payload = datagram[2] | (static_cast<std::size_t>(datagram[3]) << 8);
    if (payload + kPacketHeaderSize != size || (kind != kFragmentPacket && kind != kLastPacket)) return Result::Ignored;
    // Room for the payload and, on the last packet, the terminating zero.
    if (buffer_.Size() + payload + 1 > kMaxMessageBytes) {
        ByteVector().Swap(buffer_);
        return Result::Overflow;
    }
    buffer_.Append(datagram + kPacketHeaderSize, payload);
    if (kind == kFragmentPacket) return Result::Partial;
    buffer_.PushBack(0);
    // Copied out, so that the buffer keeps its room for the next message: growing it
    // afresh for every large message costs far more than one copy (fresh pages). Room
    // for a rare huge message is given back.
    complete_ = buffer_;
    buffer_.Clear();
    if (buffer_.Capacity() > kKeptBufferBytes) ByteVector().Swap(buffer_);
    return Result::Complete;
}

ByteVector Reassembler::TakeMessage() { return std::move(complete_); }

}  // namespace VTInterCom
