#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hublink/PacketFormat.h"

namespace {

using VTInterCom::Reassembler;

std::string Bytes(const ByteVector& bytes) { return std::string(reinterpret_cast<const char*>(bytes.Data()), bytes.Size()); }

std::string Packet(std::uint8_t version, std::uint8_t kind, const std::string& payload) {
    std::string packet = {static_cast<char>(version), static_cast<char>(kind), static_cast<char>(payload.size() & 0xff),
                          static_cast<char>(payload.size() >> 8)};
    return packet + payload;
}

Reassembler::Result Add(Reassembler& reassembler, const std::string& datagram) {
    return reassembler.Add(reinterpret_cast<const std::uint8_t*>(datagram.data()), datagram.size());
}

TEST(HubPackets, HandshakeIsTwentyFourLittleEndianBytes) {
    InterComHandshake handshake;
    const std::uint32_t words[5] = {0, 0x01020304, 0, 0xffffffff, 4242};
    std::copy(words, words + 5, handshake.words);
    const std::string expected("\x02\x00\x14\x00"
                               "\x00\x00\x00\x00"
                               "\x04\x03\x02\x01"
                               "\x00\x00\x00\x00"
                               "\xff\xff\xff\xff"
                               "\x92\x10\x00\x00",
                               24);
    EXPECT_EQ(Bytes(VTInterCom::MakeHandshakePacket(handshake)), expected);
}

TEST(HubPackets, MessagesAreCutAtTheLargestPayload) {
    struct Case {
        std::size_t size;
        std::vector<std::pair<int, std::size_t>> packets;  // kind and payload length of each
    };
    const Case cases[] = {
        {0, {{2, 0}}},
        {1, {{2, 1}}},
        {32764, {{2, 32764}}},
        {32765, {{1, 32764}, {2, 1}}},
        {2 * 32764, {{1, 32764}, {2, 32764}}},
        {2 * 32764 + 1, {{1, 32764}, {1, 32764}, {2, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        std::string message(c.size, '\0');
        for (std::size_t i = 0; i < c.size; ++i) message[i] = static_cast<char>(i * 7);
        std::deque<ByteVector> packets;
        VTInterCom::AppendMessagePackets(reinterpret_cast<const std::uint8_t*>(message.data()), message.size(), packets);
        ASSERT_EQ(packets.size(), c.packets.size());
        std::string joined;
        for (std::size_t i = 0; i < packets.size(); ++i) {
            const std::string packet = Bytes(packets[i]);
            ASSERT_EQ(packet.size(), 4 + c.packets[i].second);
            EXPECT_EQ(packet[0], 2);
            EXPECT_EQ(packet[1], c.packets[i].first);
            EXPECT_EQ(static_cast<unsigned char>(packet[2]) | static_cast<unsigned char>(packet[3]) << 8,
                      static_cast<int>(c.packets[i].second));
            joined += packet.substr(4);
        }
        EXPECT_EQ(joined, message);
    }
}

TEST(HubPackets, ReassemblyIgnoresEverythingButWellFormedFragments) {
    Reassembler reassembler;
    const std::string ignored[] = {
        std::string(),                        // 0 to 3 bytes: no header
        std::string("\x02", 1),
        std::string("\x02\x02", 2),
        std::string("\x02\x02\x00", 3),
        Packet(1, 2, "abc"),                  // another version
        Packet(3, 2, "abc"),
        Packet(2, 0, std::string(20, 'h')),   // a handshake from the hub
        Packet(2, 3, "abc"),                  // unknown kinds
        Packet(2, 255, "abc"),
        Packet(2, 2, "abc") + "d",            // length and datagram disagree
        Packet(2, 2, "abc").substr(0, 6),
    };
    EXPECT_EQ(Add(reassembler, Packet(2, 1, "<Get")), Reassembler::Result::Partial);
    for (const std::string& datagram : ignored) EXPECT_EQ(Add(reassembler, datagram), Reassembler::Result::Ignored);
    EXPECT_EQ(Add(reassembler, Packet(2, 1, "Progress")), Reassembler::Result::Partial);
    ASSERT_EQ(Add(reassembler, Packet(2, 2, "Out/>")), Reassembler::Result::Complete);
    EXPECT_EQ(Bytes(reassembler.TakeMessage()), std::string("<GetProgressOut/>\0", 18));

    // An empty last packet alone is a message of just the terminating zero.
    ASSERT_EQ(Add(reassembler, Packet(2, 2, "")), Reassembler::Result::Complete);
    EXPECT_EQ(Bytes(reassembler.TakeMessage()), std::string(1, '\0'));
}

TEST(HubPackets, ClearForgetsAPartialMessage) {
    Reassembler reassembler;
    Add(reassembler, Packet(2, 1, "stale "));
    reassembler.Clear();
    ASSERT_EQ(Add(reassembler, Packet(2, 2, "fresh")), Reassembler::Result::Complete);
    EXPECT_EQ(Bytes(reassembler.TakeMessage()), std::string("fresh\0", 6));
}

TEST(HubPackets, EndlessFragmentsOverflowInsteadOfGrowingForEver) {
    Reassembler reassembler;
    const std::string fragment = Packet(2, 1, std::string(VTInterCom::kMaxPacketPayload, 'x'));
    std::size_t buffered = 0;
    Reassembler::Result result = Reassembler::Result::Partial;
    while (result == Reassembler::Result::Partial) {
        result = Add(reassembler, fragment);
        buffered += VTInterCom::kMaxPacketPayload;
        ASSERT_LE(buffered, Reassembler::kMaxMessageBytes + VTInterCom::kMaxPacketPayload);
    }
    EXPECT_EQ(result, Reassembler::Result::Overflow);
    // The partial message went with it: the next one starts clean.
    ASSERT_EQ(Add(reassembler, Packet(2, 2, "ok")), Reassembler::Result::Complete);
    EXPECT_EQ(Bytes(reassembler.TakeMessage()), std::string("ok\0", 3));
}

}  // namespace
