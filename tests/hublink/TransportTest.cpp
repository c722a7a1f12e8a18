#include <gtest/gtest.h>

#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "HubEndpoint.h"
#include "hublink/InterComClient.h"
#include "support/HubLinkFixtures.h"
#include "support/ScopedTempFolder.h"

namespace {

using VTInterCom::CInterComClient;
using VTInterCom::LinkOptions;

constexpr int kTries = 3;

std::string Packet(std::uint8_t kind, const std::string& payload) {
    std::string packet = {2, static_cast<char>(kind), static_cast<char>(payload.size() & 0xff),
                          static_cast<char>(payload.size() >> 8)};
    return packet + payload;
}

std::string Text(const ByteVector& bytes) { return std::string(reinterpret_cast<const char*>(bytes.Data()), bytes.Size()); }

ByteVector Message(const std::string& text) {
    ByteVector bytes;
    bytes.Append(text.data(), text.size());
    return bytes;
}

class HubTransport : public ::testing::Test {
protected:
    std::unique_ptr<CInterComClient> Client(std::initializer_list<const char*> names, int hubStartTimeoutMs = 600000,
                                            const std::string& hubPath = std::string()) {
        StringVector baseNames;
        for (const char* name : names) baseNames.PushBack(String(name));
        WideString widePath;
        for (char c : hubPath) widePath.PushBack(static_cast<char16_t>(c));
        LinkOptions options;
        options.socketFolder = temp_.Path();
        options.attemptPeriodMs = 5;
        return std::make_unique<CInterComClient>(baseNames, widePath, hubStartTimeoutMs, kTries, handshake_, options);
    }

    std::unique_ptr<HubEndpoint> Listen(const std::string& name) { return HubEndpoint::Listen(temp_ / name); }

    // Accepts the link's next connection and reads its first datagram.
    std::string AcceptHandshake(HubEndpoint& hub) {
        std::string datagram;
        if (!hub.Accept(5000) || hub.Receive(datagram, 5000) != HubEndpoint::Read::Datagram) return "(nothing)";
        return datagram;
    }

    // The next message the link hands its owner, waiting for it.
    std::string NextMessage(CInterComClient& client) {
        std::optional<ByteVector> message;
        bool reconnected = false;
        WaitUntil([&] { return (message = client.Receive(reconnected)).has_value(); });
        return message ? Text(*message) : "(nothing)";
    }

    std::string ExpectedHandshake() const { return Text(VTInterCom::MakeHandshakePacket(handshake_)); }

    ScopedTempFolder temp_;
    InterComHandshake handshake_{{0, 77, 0, 0, 4321}};
};

TEST_F(HubTransport, OpensEveryConnectionWithTheHandshakeAndSendsOnlyWhileConnected) {
    auto client = Client({"VantryV4"});
    EXPECT_FALSE(client->IsConnected());
    EXPECT_FALSE(client->Send(Message("<lost />")));

    auto hub = Listen("VantryV4");
    ASSERT_TRUE(hub);
    EXPECT_EQ(AcceptHandshake(*hub), std::string("\x02\x00\x14\x00\x00\x00\x00\x00\x4d\x00\x00\x00"
                                                 "\x00\x00\x00\x00\x00\x00\x00\x00\xe1\x10\x00\x00",
                                                 24));
    ASSERT_TRUE(WaitUntil([&] { return client->IsConnected(); }));
    bool reconnected = false;
    EXPECT_FALSE(client->Receive(reconnected));
    EXPECT_TRUE(reconnected);
    client->Receive(reconnected);
    EXPECT_FALSE(reconnected);

    ASSERT_TRUE(client->Send(Message("<GetPackInfosIn />\n")));
    std::string datagram;
    ASSERT_EQ(hub->Receive(datagram, 5000), HubEndpoint::Read::Datagram);
    EXPECT_EQ(datagram, Packet(2, "<GetPackInfosIn />\n"));
}

TEST_F(HubTransport, CutsMessagesAtTheLargestPayload) {
    auto client = Client({"VantryV4"});
    auto hub = Listen("VantryV4");
    ASSERT_EQ(AcceptHandshake(*hub), ExpectedHandshake());
    ASSERT_TRUE(WaitUntil([&] { return client->IsConnected(); }));

    const std::string exact(32764, 'a');
    const std::string oneMore = std::string(32764, 'b') + "c";
    ASSERT_TRUE(client->Send(Message(exact)));
    ASSERT_TRUE(client->Send(Message(oneMore)));
    ASSERT_TRUE(client->Send(Message("")));
    const std::string expected[] = {Packet(2, exact), Packet(1, oneMore.substr(0, 32764)), Packet(2, "c"), Packet(2, "")};
    for (const std::string& packet : expected) {
        std::string datagram;
        ASSERT_EQ(hub->Receive(datagram, 5000), HubEndpoint::Read::Datagram);
        EXPECT_EQ(datagram.size(), packet.size());
        EXPECT_TRUE(datagram == packet);
    }
}

TEST_F(HubTransport, IgnoresMalformedPacketsAndKeepsTheLink) {
    auto client = Client({"VantryV4"});
    auto hub = Listen("VantryV4");
    ASSERT_EQ(AcceptHandshake(*hub), ExpectedHandshake());
    const std::string datagrams[] = {
        Packet(1, "<Get"),
        std::string(), std::string("\x02", 1), std::string("\x02\x02", 2), std::string("\x02\x02\x00", 3),
        std::string("\x01\x02\x01\x00x", 5),   // version 1
        Packet(0, std::string(20, '\0')),      // the hub's own handshake
        Packet(3, "x"), Packet(255, "x"),
        Packet(2, "x") + "y",                  // a length that disagrees with the datagram
        Packet(2, "ProgressOut />"),
    };
    for (const std::string& datagram : datagrams) ASSERT_TRUE(hub->SendDatagram(datagram, 5000));
    EXPECT_EQ(NextMessage(*client), std::string("<GetProgressOut />\0", 19));
    EXPECT_TRUE(client->IsConnected());

    ASSERT_TRUE(hub->SendDatagram(Packet(2, ""), 5000));
    EXPECT_EQ(NextMessage(*client), std::string(1, '\0'));
}

TEST_F(HubTransport, DropsTheLinkOnAnOversizeDatagramAndReconnects) {
    auto client = Client({"VantryV4"});
    auto hub = Listen("VantryV4");
    ASSERT_EQ(AcceptHandshake(*hub), ExpectedHandshake());
    ASSERT_TRUE(hub->SendDatagram(std::string(32769, '\x02'), 5000));
    std::string datagram;
    EXPECT_EQ(hub->Receive(datagram, 5000), HubEndpoint::Read::Closed);
    EXPECT_EQ(AcceptHandshake(*hub), ExpectedHandshake());
}

TEST_F(HubTransport, ALinkLostMidMessageStartsTheNextConnectionClean) {
    auto client = Client({"VantryV4"});
    auto hub = Listen("VantryV4");
    ASSERT_EQ(AcceptHandshake(*hub), ExpectedHandshake());
    ASSERT_TRUE(hub->SendDatagram(Packet(1, "<stale"), 5000));
    hub->CloseConnection();

    ASSERT_EQ(AcceptHandshake(*hub), ExpectedHandshake());
    ASSERT_TRUE(hub->SendDatagram(Packet(2, "<fresh />"), 5000));
    std::optional<ByteVector> message;
    bool reconnectedSeen = false;
    ASSERT_TRUE(WaitUntil([&] {
        bool reconnected = false;
        message = client->Receive(reconnected);
        reconnectedSeen = reconnectedSeen || reconnected;
        return message.has_value();
    }));
    EXPECT_EQ(Text(*message), std::string("<fresh />\0", 10));
    EXPECT_TRUE(reconnectedSeen);
}

TEST_F(HubTransport, CutsOffAHubThatNeverEndsItsMessage) {
    auto client = Client({"VantryV4"});
    auto hub = Listen("VantryV4");
    ASSERT_EQ(AcceptHandshake(*hub), ExpectedHandshake());
    const std::string fragment = Packet(1, std::string(VTInterCom::kMaxPacketPayload, 'x'));
    const std::size_t packets = VTInterCom::Reassembler::kMaxMessageBytes / VTInterCom::kMaxPacketPayload + 1;
    std::size_t sent = 0;
    while (sent < packets && hub->SendDatagram(fragment, 5000)) ++sent;
    std::string datagram;
    EXPECT_EQ(hub->Receive(datagram, 5000), HubEndpoint::Read::Closed);
    EXPECT_EQ(AcceptHandshake(*hub), ExpectedHandshake());
    bool reconnected = false;
    EXPECT_FALSE(client->Receive(reconnected));
}

TEST_F(HubTransport, StopsAtOnceWhenTheHubNeverReads) {
    auto client = Client({"VantryV4"});
    auto hub = Listen("VantryV4");
    ASSERT_EQ(AcceptHandshake(*hub), ExpectedHandshake());
    ASSERT_TRUE(WaitUntil([&] { return client->IsConnected(); }));
    // Far more than the socket holds: the worker is left waiting to write.
    for (int i = 0; i < 16; ++i) ASSERT_TRUE(client->Send(Message(std::string(1 << 20, 'x'))));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto start = std::chrono::steady_clock::now();
    client.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST_F(HubTransport, MovesOnToTheNextNameWhenTheFirstDoesNotAnswer) {
    auto second = Listen("VantryV4_second");
    auto client = Client({"VantryV4", "VantryV4_second"});
    EXPECT_EQ(AcceptHandshake(*second), ExpectedHandshake());
}

TEST_F(HubTransport, ADisconnectRequestDropsTheLinkAndTriesTheNextName) {
    auto first = Listen("VantryV4");
    auto second = Listen("VantryV4_second");
    auto client = Client({"VantryV4", "VantryV4_second"});
    ASSERT_EQ(AcceptHandshake(*first), ExpectedHandshake());
    ASSERT_TRUE(WaitUntil([&] { return client->IsConnected(); }));
    client->RequestDisconnect();
    std::string datagram;
    EXPECT_EQ(first->Receive(datagram, 5000), HubEndpoint::Read::Closed);
    EXPECT_EQ(AcceptHandshake(*second), ExpectedHandshake());
}

// The hub is a script that counts its starts.
class HubStart : public HubTransport {
protected:
    HubStart() {
        std::filesystem::create_directories(temp_ / "hub folder");
        WriteHubScript(hubPath_, countFile_, {});
    }
    std::size_t Starts() const { return ReadLines(countFile_).size(); }

    const std::string hubPath_ = temp_ / "hub folder/Vantry Hub.exe";
    const std::string countFile_ = temp_ / "starts";
};

bool HasUnreapedChild() {
    siginfo_t info{};
    return waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) == 0;
}

TEST_F(HubStart, StartsTheHubOncePerDisconnectedPeriodAndReapsIt) {
    const auto start = std::chrono::steady_clock::now();
    auto client = Client({"VantryV4"}, 40, hubPath_);
    ASSERT_TRUE(WaitUntil([&] { return Starts() == 1; }));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(40));
    // Dozens of failed attempts later, still one start; the ended hub is no zombie.
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    EXPECT_EQ(Starts(), 1u);
    EXPECT_TRUE(WaitUntil([] { return !HasUnreapedChild(); }));

    // A lost link begins a new period, with a start of its own.
    auto hub = Listen("VantryV4");
    ASSERT_EQ(AcceptHandshake(*hub), ExpectedHandshake());
    ASSERT_TRUE(WaitUntil([&] { return client->IsConnected(); }));
    hub.reset();
    EXPECT_TRUE(WaitUntil([&] { return Starts() == 2; }));
}

TEST_F(HubStart, NeverStartsTheHubAfterDisableAutoStart) {
    auto client = Client({"VantryV4"}, 100, hubPath_);
    client->DisableAutoStart();
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_EQ(Starts(), 0u);
}

TEST_F(HubStart, ADisconnectRequestResumesThePeriodThatLedToTheLinkALostLinkBeginsANewOne) {
    constexpr int kTimeoutMs = 300;
    auto requested = Listen("requested");
    auto lost = Listen("lost");
    const std::string lostCount = temp_ / "lost starts";
    const std::string lostHub = temp_ / "hub folder/lost hub";
    WriteHubScript(lostHub, lostCount, {});
    auto viaRequest = Client({"requested"}, kTimeoutMs, hubPath_);
    auto viaLoss = Client({"lost"}, kTimeoutMs, lostHub);
    ASSERT_EQ(AcceptHandshake(*requested), ExpectedHandshake());
    ASSERT_EQ(AcceptHandshake(*lost), ExpectedHandshake());
    std::this_thread::sleep_for(std::chrono::milliseconds(kTimeoutMs + 50));

    // Nobody listens any more; one link is dropped on request, the other by the hub.
    requested->StopListening();
    lost->StopListening();
    viaRequest->RequestDisconnect();
    lost->CloseConnection();
    const auto dropped = std::chrono::steady_clock::now();
    ASSERT_TRUE(WaitUntil([&] { return Starts() == 1; }));
    EXPECT_LT(std::chrono::steady_clock::now() - dropped, std::chrono::milliseconds(kTimeoutMs));
    EXPECT_EQ(ReadLines(lostCount).size(), 0u);
    ASSERT_TRUE(WaitUntil([&] { return ReadLines(lostCount).size() == 1; }));
    EXPECT_GE(std::chrono::steady_clock::now() - dropped, std::chrono::milliseconds(kTimeoutMs));
}

}  // namespace
