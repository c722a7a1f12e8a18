// The HTTP client against the scripted loopback server: the request's bytes, every
// shape of answer and its one outcome, time-outs by chosen elapsed times, endpoints in
// order, and exchanges abandoned or chained from inside an event.
#include "engine/servers/HttpClient.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "engine/servers/HttpAnswer.h"
#include "support/LoopbackHttpServer.h"

namespace {

using Reply = LoopbackHttpServer::Reply;
using std::chrono::milliseconds;

// Records the client's events as "content:BYTES", "failed:CODE" or "status:CODE".
struct Outcomes final : RefCounter {
    std::vector<std::string> events;
    std::function<void(const std::string& body)> onContent;

    bool OnFailed(int code) {
        events.push_back("failed:" + std::to_string(code));
        return true;
    }
    bool OnStatus(int code) {
        events.push_back("status:" + std::to_string(code));
        return true;
    }
    bool OnContent(const char* data, std::size_t length) {
        const std::string body(data, length);
        events.push_back("content:" + body);
        if (onContent) onContent(body);
        return true;
    }
};

class HttpClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        client->Failed.Connect<&Outcomes::OnFailed>(outcomes.Get());
        client->StatusError.Connect<&Outcomes::OnStatus>(outcomes.Get());
        client->ContentReceived.Connect<&Outcomes::OnContent>(outcomes.Get());
    }

    bool Get(const std::string& path, std::int64_t idleLimit = 30000) {
        return client->Get(String("127.0.0.1"), server.Port(), String(path.c_str()), idleLimit);
    }

    // Polls with no elapsed time until count events have come (at most 10 s), then a
    // little longer, so that a second outcome of one exchange would show.
    std::vector<std::string> Outcome(std::size_t count = 1) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (outcomes->events.size() < count && std::chrono::steady_clock::now() < deadline) {
            if (client) client->Poll(0);
            std::this_thread::sleep_for(milliseconds(1));
        }
        for (int i = 0; i < 20 && client; ++i) {
            client->Poll(0);
            std::this_thread::sleep_for(milliseconds(1));
        }
        return outcomes->events;
    }

    std::vector<std::string> Fetch(const Reply& reply) {
        server.Script("/doc", reply);
        EXPECT_TRUE(Get("/doc"));
        return Outcome();
    }

    // Polls until the server has count requests, then runs what their sending left.
    void SettleAfterRequests(std::size_t count) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (server.Requests().size() < count && std::chrono::steady_clock::now() < deadline) {
            client->Poll(0);
            std::this_thread::sleep_for(milliseconds(1));
        }
        ASSERT_EQ(server.Requests().size(), count);
        for (int i = 0; i < 20; ++i) {
            client->Poll(0);
            std::this_thread::sleep_for(milliseconds(1));
        }
    }

    LoopbackHttpServer server;
    RefPtr<HttpClient> client = new HttpClient();
    RefPtr<Outcomes> outcomes = new Outcomes();
};

using Events = std::vector<std::string>;

TEST_F(HttpClientTest, SendsTheRequestByteForByteWithTheHostWithoutPort) {
    EXPECT_EQ(Fetch(Reply::Document("x")), Events{"content:x"});
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].raw,
              "GET /doc HTTP/1.0\r\nHost: 127.0.0.1\r\nAccept: */*\r\nConnection: close\r\n\r\n");
}

TEST_F(HttpClientTest, EachAnswerEndsInExactlyOneOutcome) {
    const std::string binary("a\0b\r\n\r\nc", 8);
    struct Case {
        const char* what;
        Reply reply;
        std::string expected;
    } cases[] = {
        {"HTTP/1.1 counts as HTTP", Reply::Document("<Base/>", "HTTP/1.1 200 OK"), "content:<Base/>"},
        {"body with the head, then more",
         Reply::Raw("HTTP/1.0 200 OK\r\nServer: t\r\n\r\nfirst").Then("second", milliseconds(20)), "content:firstsecond"},
        {"head split over packets",
         Reply::Raw("HTTP/1.0 2").Then("00 OK\r\nContent-Le", milliseconds(10)).Then("ngth: 4\r\n\r\nbody", milliseconds(10)),
         "content:body"},
        {"empty body", Reply::Document(""), "content:"},
        {"bare line feeds", Reply::Raw("HTTP/1.0 200 OK\nServer: t\n\nbody"), "content:body"},
        {"no headers at all", Reply::Raw("HTTP/1.0 200 OK\r\n\r\nbody"), "content:body"},
        {"NUL and CR LF in the body", Reply::Document(binary), "content:" + binary},
        {"not found", Reply::Document("gone", "HTTP/1.0 404 Not Found"), "status:-1"},
        {"redirect is not followed", Reply::Document("", "HTTP/1.0 302 Found", "Location: /elsewhere\r\n"), "status:-1"},
        {"not HTTP", Reply::Document("", "ICY 200 OK"), "status:-1"},
        {"negative status", Reply::Document("", "HTTP/1.0 -200 OK"), "status:-1"},
        {"garbage line", Reply::Raw("<html>\r\n</html>"), "status:-1"},
        {"body cut short", Reply::Raw("HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\nabcd"), "failed:3"},
        {"body past its length", Reply::Raw("HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nabcd"), "failed:3"},
        {"unreadable length", Reply::Raw("HTTP/1.0 200 OK\r\nContent-Length: 4x\r\n\r\nabcd"), "failed:3"},
        {"two lengths", Reply::Raw("HTTP/1.0 200 OK\r\nContent-Length: 4\r\ncontent-length: 5\r\n\r\nabcd"), "failed:3"},
        {"closed in the headers", Reply::Raw("HTTP/1.0 200 OK\r\nContent-"), "failed:3"},
        {"closed in the status line", Reply::Raw("HTTP/1.0 200"), "failed:3"},
        {"closed before a byte", Reply::Raw(""), "failed:3"},
        {"reset in the body",
         Reply::Raw("HTTP/1.0 200 OK\r\n\r\nabc").Then("def", milliseconds(20)).EndWith(Reply::Ending::Reset), "failed:3"},
        {"header line past the cap", Reply::Raw("HTTP/1.0 200 OK\r\nX: " + std::string(70000, 'a') + "\r\n\r\nbody"),
         "failed:3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        outcomes->events.clear();
        EXPECT_EQ(Fetch(c.reply), Events{c.expected});
    }
}

TEST(HttpAnswer, ABodyPastTheCapIsNotADocument) {
    const std::string chunk(1 << 20, 'b');
    HttpAnswer answer;
    const std::string head = "HTTP/1.0 200 OK\r\n\r\n";
    ASSERT_EQ(answer.Feed(head.data(), head.size()), HttpAnswer::Result::Reading);
    for (std::uint64_t fed = 0; fed < HttpAnswer::kMaxBodyBytes; fed += chunk.size())
        ASSERT_EQ(answer.Feed(chunk.data(), chunk.size()), HttpAnswer::Result::Reading);
    EXPECT_EQ(answer.Feed("x", 1), HttpAnswer::Result::Broken);
    EXPECT_EQ(answer.End(), HttpAnswer::Result::Broken);
    EXPECT_TRUE(answer.Body().empty());
}

TEST_F(HttpClientTest, SilenceEndsByTheElapsedTimesItsOwnerPasses) {
    server.Script("/doc", Reply::Silence());
    ASSERT_TRUE(Get("/doc", 30000));
    SettleAfterRequests(1);
    for (int i = 0; i < 100; ++i) EXPECT_TRUE(client->Poll(0));  // no time passes, no time-out
    EXPECT_TRUE(client->Poll(30000));                            // the limit itself is allowed
    EXPECT_TRUE(outcomes->events.empty());
    EXPECT_FALSE(client->Poll(1));
    EXPECT_EQ(Outcome(), Events{"failed:9"});
    EXPECT_TRUE(client->Poll(100000));  // nothing runs any more: no second outcome
    EXPECT_EQ(outcomes->events.size(), 1u);
}

TEST_F(HttpClientTest, ADocumentThatTricklesInEndsByTheTotalLimit) {
    // A byte every 5 ms: never idle, never whole. Each poll counts step of the owner's
    // time; the exchange fails in the first poll that passes max(60 s, 6 idle limits).
    struct Case {
        std::int64_t idleLimit, step;
        int trickledBytes;
        const char* expected;
        std::int64_t endsAt;  // the owner's time when the outcome came
    } cases[] = {
        {5000, 500, 4000, "failed:9", 60500},     // the floor of 60 s
        {30000, 1500, 4000, "failed:9", 181500},  // six idle limits
        {5000, 500, 20, "content:xxxxxxxxxxxxxxxxxxxx", -1},  // slow, but whole in time
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.idleLimit);
        outcomes->events.clear();
        Reply reply = Reply::Raw("HTTP/1.0 200 OK\r\n\r\n");
        for (int i = 0; i < c.trickledBytes; ++i) reply.Then("x", milliseconds(5));
        server.Script("/doc", reply);
        ASSERT_TRUE(Get("/doc", c.idleLimit));
        std::int64_t passed = 0;
        const std::int64_t bound = std::max<std::int64_t>(60000, 6 * c.idleLimit) + 10 * c.step;
        while (outcomes->events.empty() && passed < bound) {
            std::this_thread::sleep_for(milliseconds(10));
            passed += c.step;
            client->Poll(c.step);
        }
        if (c.endsAt < 0) {
            for (int i = 0; i < 200 && outcomes->events.empty(); ++i) {
                std::this_thread::sleep_for(milliseconds(5));
                client->Poll(0);
            }
        } else {
            EXPECT_EQ(passed, c.endsAt);
        }
        EXPECT_EQ(outcomes->events, Events{c.expected});
    }
}

TEST_F(HttpClientTest, EndpointsAreTriedInOrderAndARefusalMovesOn) {
    // Nothing listens on 127.0.0.2 or 127.0.0.3 at the server's port.
    server.Script("/doc", Reply::Document("second"));
    client->UseAddresses({"127.0.0.2", "127.0.0.1"});
    ASSERT_TRUE(Get("/doc"));
    EXPECT_EQ(Outcome(), Events{"content:second"});

    outcomes->events.clear();
    client->UseAddresses({"127.0.0.2", "127.0.0.3"});
    ASSERT_TRUE(Get("/doc"));
    EXPECT_EQ(Outcome(), Events{"failed:8"});
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(HttpClientTest, RequestsThatCannotBeFormedOrResolved) {
    EXPECT_FALSE(Get("/a.torrent\r\nX-Injected: 1"));
    EXPECT_FALSE(client->Get(String("127.0.0.1\n"), server.Port(), String("/doc"), 30000));
    EXPECT_EQ(Outcome(0), Events{});
    EXPECT_EQ(server.ConnectionCount(), 0u);

    // An empty host is no host; the resolver would take it for this machine.
    ASSERT_TRUE(client->Get(String(""), server.Port(), String("/doc"), 30000));
    EXPECT_EQ(Outcome(), Events{"failed:6"});
    EXPECT_EQ(server.ConnectionCount(), 0u);
}

TEST_F(HttpClientTest, AGetDuringAnExchangeAbandonsItWithoutAnOutcome) {
    server.Script("/slow", Reply::Silence());
    server.Script("/doc", Reply::Document("fresh"));
    ASSERT_TRUE(Get("/slow"));
    SettleAfterRequests(1);
    ASSERT_TRUE(Get("/doc"));
    EXPECT_EQ(Outcome(), Events{"content:fresh"});
    // A Get before anything ran at all, too.
    outcomes->events.clear();
    ASSERT_TRUE(Get("/slow"));
    ASSERT_TRUE(Get("/doc"));
    EXPECT_EQ(Outcome(), Events{"content:fresh"});
}

TEST_F(HttpClientTest, AListenerChainsTheNextGetOrLetsGoOfTheClientInsideTheEvent) {
    server.Script("/first", Reply::Document("one"));
    server.Script("/second", Reply::Document("two"));
    outcomes->onContent = [&](const std::string& body) {
        if (body == "one") {
            EXPECT_TRUE(Get("/second"));
        }
    };
    ASSERT_TRUE(Get("/first"));
    EXPECT_EQ(Outcome(2), (Events{"content:one", "content:two"}));
    EXPECT_EQ(server.RequestedTargets(), (std::vector<std::string>{"/first", "/second"}));

    // The last reference goes inside the event; the poll in progress keeps the client
    // until it returns.
    outcomes->events.clear();
    outcomes->onContent = [&](const std::string&) { client = nullptr; };
    ASSERT_TRUE(Get("/first"));
    HttpClient* raw = client.Get();
    for (int i = 0; i < 10000 && client; ++i) {
        raw->Poll(0);  // the only reference goes inside this call
        std::this_thread::sleep_for(milliseconds(1));
    }
    EXPECT_EQ(outcomes->events, Events{"content:one"});
    EXPECT_FALSE(client);
}

TEST_F(HttpClientTest, ReleasedWhileAnExchangeIsPending) {
    server.Script("/doc", Reply::Silence());
    ASSERT_TRUE(Get("/doc"));
    SettleAfterRequests(1);
    client = nullptr;
    EXPECT_TRUE(outcomes->events.empty());
}

}  // namespace
