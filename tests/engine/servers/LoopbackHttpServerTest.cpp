// The tests' own HTTP server seen from curl, an independent client: byte ranges on one
// kept-alive connection as a web seed gets them, the answers for missing files and
// ranges past the end, the dead switch, and the tracker's compact peer list.
#include "support/LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include "engine/VersionFixtures.h"
#include "support/RequiredEnvironment.h"
#include "support/TempDir.h"

namespace {

class LoopbackHttpServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (system("command -v curl > /dev/null 2>&1") != 0) SKIP_UNLESS_REQUIRED("curl is not installed");
        files.WriteFile("seed/Patch/a.patch", "0123456789");
        server.ServeFolder(files / "seed", "/web/");
    }

    // curl with the arguments; true on exit code 0.
    bool Curl(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"curl", "-s", "--max-time", "10"});
        return RunProgram(arguments);
    }

    std::string Url(const std::string& path) const { return server.BaseUrl() + path; }

    TempDir files;
    LoopbackHttpServer server;
};

TEST_F(LoopbackHttpServerTest, RangesInARowShareOneConnectionAndCountTheirPayload) {
    ASSERT_TRUE(Curl({"-r", "0-3", "-o", files / "first", Url("web/Patch/a.patch"), "--next", "-s", "-r", "7-",
                      "-o", files / "second", Url("web/Patch/a.patch"), "--next", "-s", "-r", "-2", "-o",
                      files / "third", Url("web/Patch/a.patch")}));
    EXPECT_EQ(files.ReadFile("first"), "0123");
    EXPECT_EQ(files.ReadFile("second"), "789");
    EXPECT_EQ(files.ReadFile("third"), "89");
    EXPECT_EQ(server.ConnectionCount(), 1u);
    EXPECT_EQ(server.PayloadBytesServed("/web/Patch/a.patch"), 9u);
    ASSERT_EQ(server.Requests().size(), 3u);
    EXPECT_EQ(server.Requests()[1].Header("range"), "bytes=7-");
}

TEST_F(LoopbackHttpServerTest, MissingFilesRangesPastTheEndAndTheDeadSwitch) {
    const std::string headers = files / "headers";
    auto statusOf = [&](const std::vector<std::string>& request) {
        std::vector<std::string> arguments = {"-D", headers, "-o", "/dev/null"};
        arguments.insert(arguments.end(), request.begin(), request.end());
        EXPECT_TRUE(Curl(arguments));
        const std::string head = files.ReadFile("headers");
        return head.substr(0, head.find("\r\n"));
    };
    EXPECT_EQ(statusOf({Url("web/Patch/missing.patch")}), "HTTP/1.1 404 Not Found");
    EXPECT_EQ(statusOf({"--path-as-is", Url("web/../seed/Patch/a.patch")}), "HTTP/1.1 404 Not Found");
    EXPECT_EQ(statusOf({"-r", "10-20", Url("web/Patch/a.patch")}), "HTTP/1.1 416 Range Not Satisfiable");
    EXPECT_NE(files.ReadFile("headers").find("Content-Range: bytes */10"), std::string::npos);
    EXPECT_EQ(statusOf({Url("web/Patch/a.patch")}), "HTTP/1.1 200 OK");

    server.SetDead(true);
    server.SetTrackerPeers({{"127.0.0.1", 6881}});
    EXPECT_EQ(statusOf({Url("web/Patch/a.patch")}), "HTTP/1.1 404 Not Found");
    EXPECT_EQ(statusOf({Url("announce?info_hash=x")}), "HTTP/1.0 200 OK");
}

TEST_F(LoopbackHttpServerTest, TrackerHandsOutTheCompactPeerList) {
    server.SetTrackerPeers({{"127.0.0.1", 6881}, {"127.0.0.2", 0x1A2B}});
    ASSERT_TRUE(Curl({"-o", files / "answer", Url("announce?info_hash=%01%02&port=6969")}));
    EXPECT_EQ(files.ReadFile("answer"),
              std::string("d8:intervali60e5:peers12:\x7f\x00\x00\x01\x1a\xe1\x7f\x00\x00\x02\x1a\x2b" "e", 38));
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].target, "/announce?info_hash=%01%02&port=6969");
    EXPECT_EQ(server.Requests()[0].path, "/announce");
}

}  // namespace
