#include <gtest/gtest.h>

#include <openssl/evp.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "HubEndpoint.h"
#include "base/runtime/StrUtil.h"
#include "hublink/HubPipeNames.h"
#include "hublink/InterCom.h"
#include "support/FileBytes.h"
#include "support/HubLinkFixtures.h"
#include "support/ScopedTempFolder.h"

namespace {

using VTInterCom::CInterCom;
using VTInterCom::LinkOptions;

WideString Wide(const std::string& utf8) {
    std::u16string wide;
    StrUtil::Utf8ToWideStd(wide, utf8);
    return WideString(wide);
}

// The names' digest worked out independently: OpenSSL's MD5 over UTF-16LE units.
std::string Md5HexOfUtf16(const std::u16string& text) {
    std::string bytes;
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xff);
        bytes += static_cast<char>(unit >> 8);
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr);
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) hex += std::string{kHex[digest[i] >> 4], kHex[digest[i] & 15]};
    return hex;
}

TEST(HubSocketNames, TheSecondNameIsTheDigestOfTheHubsLowerCasedFolder) {
    ScopedTempFolder temp;
    const std::string folder = temp / "Games \xC3\x9CN\xC3\x8F/VantryLight";
    std::filesystem::create_directories(folder);
    WriteWholeFile(folder + "/VantryHub.exe", "hub");
    // Reached through a detour, the hub still names its real place.
    const VTInterCom::HubPipeNames names = VTInterCom::MakeHubPipeNames(Wide(temp / "Games \xC3\x9CN\xC3\x8F/./VantryLight/../VantryLight/VantryHub.exe"));

    std::string expectedFolder = std::filesystem::canonical(temp.Path()).string();
    for (char& c : expectedFolder) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::u16string lowered;
    StrUtil::Utf8ToWideStd(lowered, expectedFolder + "/games \xC3\xBCn\xC3\xAF/vantrylight");
    ASSERT_EQ(names.baseNames.Size(), 2u);
    EXPECT_STREQ(names.baseNames[0].CStr(), "VantryV4");
    EXPECT_EQ(std::string(names.baseNames[1].CStr()), "VantryV4_" + Md5HexOfUtf16(lowered));
    std::string hubPath;
    StrUtil::WideToUtf8Std(hubPath, names.hubPath.Std());
    EXPECT_EQ(hubPath, std::filesystem::canonical(folder + "/VantryHub.exe").string());
}

TEST(HubSocketNames, AMissingHubGivesOnlyTheCommonName) {
    ScopedTempFolder temp;
    for (const WideString& path : {Wide(temp / "VantryLight/VantryHub.exe"), WideString()}) {
        const VTInterCom::HubPipeNames names = VTInterCom::MakeHubPipeNames(path);
        ASSERT_EQ(names.baseNames.Size(), 1u);
        EXPECT_STREQ(names.baseNames[0].CStr(), "VantryV4");
        EXPECT_TRUE(names.hubPath.IsEmpty());
    }
}

// Every callback call, in order, as one short line.
struct CallLog {
    std::vector<std::string> calls;
    std::vector<PackInfos> packLists;
    int fakeHubPid = 0;

    InterComCallbacks Callbacks() {
        InterComCallbacks table;
        table.context = this;
        table.reconnected = [](void* c) { Self(c).calls.push_back("reconnected"); };
        table.protocolError = [](void* c, const std::uint8_t*, std::size_t) { Self(c).calls.push_back("error"); };
        table.params = [](void* c, int pid, int api, bool light, int accepted) {
            Self(c).fakeHubPid = pid;
            Self(c).calls.push_back("params " + std::to_string(api) + " " + std::to_string(light) + " " +
                                    std::to_string(accepted));
        };
        table.packInfos = [](void* c, const PackInfos& infos) {
            Self(c).packLists.push_back(infos);
            Self(c).calls.push_back(infos.FullPackSet ? "full list" : "partial list");
        };
        table.progress = [](void* c, const HubProgress& progress, const PackInfos*) {
            if (Self(c).calls.empty() || Self(c).calls.back() != "progress") Self(c).calls.push_back("progress");
            Self(c).lastProgress = progress;
        };
        table.packagesFileError = [](void* c, int code) { Self(c).calls.push_back("file error " + std::to_string(code)); };
        return table;
    }
    bool Has(const std::string& call) const { return std::find(calls.begin(), calls.end(), call) != calls.end(); }

    HubProgress lastProgress;

    static CallLog& Self(void* context) { return *static_cast<CallLog*>(context); }
};

class HubLink : public ::testing::Test {
protected:
    std::unique_ptr<CInterCom> Link(const std::string& hubExecutable, const std::string& folder, bool shortTimeout) {
        LinkOptions options;
        options.socketFolder = folder;
        if (shortTimeout) options.attemptPeriodMs = 5;
        return std::make_unique<CInterCom>(handshake_, Wide(hubExecutable), log_.Callbacks(), options);
    }

    // Dispatches until condition holds.
    bool DispatchUntil(CInterCom& link, const std::function<bool()>& condition) {
        return WaitUntil([&] {
            link.ReceiveAndDispatch();
            return condition();
        });
    }

    ScopedTempFolder temp_;
    CallLog log_;
    InterComHandshake handshake_{{0, 42, 0, 0, static_cast<std::uint32_t>(getpid())}};
};

TEST_F(HubLink, AsksTheFakeHubForItsPacksAndSendsItsRequests) {
    WriteWholeFile(temp_ / "packs",
                   "params 3 0 1\nbuild 1.0.0 1001\npack Base.pak 500000\npack Tex.HIRES.pak 800000\n"
                   "rate 10000000\ntick 20\n");
    const std::string hubLog = temp_ / "hub.log";
    FakeHubProcess hub({"--socket", temp_ / "VantryV4", "--script", temp_ / "packs", "--log", hubLog, "--idle-exit",
                        "20000"});
    ASSERT_TRUE(WaitUntil([&] { return FileExistsAt(temp_ / "VantryV4"); }));
    auto link = Link(temp_ / "no hub here", temp_.Path(), true);

    ASSERT_TRUE(DispatchUntil(*link, [&] { return log_.Has("params 3 0 1"); }));
    EXPECT_EQ(log_.calls.front(), "reconnected");
    EXPECT_TRUE(HasLine(hubLog, "handshake 0 42 0 0 " + std::to_string(getpid())));

    ASSERT_TRUE(link->GetPackInfos());
    ASSERT_TRUE(DispatchUntil(*link, [&] { return log_.Has("full list"); }));
    const PackInfos& list = log_.packLists.front();
    EXPECT_EQ(list.ServerBuild, 1001);
    EXPECT_STREQ(list.BuildInfo.CStr(), "1.0.0");
    ASSERT_EQ(list.Packs.Size(), 2u);
    EXPECT_STREQ(list.Packs[1].Name.CStr(), "Tex.HIRES.pak");
    EXPECT_EQ(list.Packs[1].ReadyBuild, 0);

    Vector<PackState> states;
    states.PushBack(PackState{String("Tex.HIRES.pak"), 0, 0});
    ASSERT_TRUE(link->SetPackStateEx(states));
    ASSERT_TRUE(link->SetClientAcceptedBuild(1001));
    EXPECT_TRUE(WaitUntil([&] {
        return HasLine(hubLog, "message <SetPackStateExIn><ps Name=\"Tex.HIRES.pak\" Enable=\"0\" Priority=\"0\" />"
                               "</SetPackStateExIn>") &&
               HasLine(hubLog, "message <SetClientAcceptedBuildIn AcceptedBuild=\"1001\" />");
    }));

    // The pretend download fills the one enabled pack and reports it complete.
    ASSERT_TRUE(DispatchUntil(*link, [&] { return log_.Has("partial list"); }));
    EXPECT_EQ(log_.packLists.back().Packs.Size(), 1u);
    EXPECT_EQ(log_.packLists.back().Packs[0].ReadyBuild, 1001);
    ASSERT_TRUE(DispatchUntil(*link, [&] { return log_.lastProgress.ReadyDone == 500000; }));
    EXPECT_EQ(log_.lastProgress.ReadyTotal, 500000);
    EXPECT_FALSE(log_.Has("error"));

    ASSERT_TRUE(link->Terminate());
    EXPECT_EQ(hub.WaitForExit(5000), 0);
    EXPECT_TRUE(WaitUntil([&] { return !link->IsConnected(); }));
    EXPECT_FALSE(link->GetPackInfos());
}

TEST_F(HubLink, ReportsEachNewConnectionBeforeItsFirstMessage) {
    auto hub = HubEndpoint::Listen(temp_ / "VantryV4");
    auto link = Link(std::string(), temp_.Path(), true);
    ASSERT_TRUE(hub->Accept(5000));
    ASSERT_TRUE(DispatchUntil(*link, [&] { return log_.Has("reconnected"); }));
    EXPECT_FALSE(link->ReceiveAndDispatch());
    EXPECT_EQ(log_.calls, std::vector<std::string>{"reconnected"});

    hub->CloseConnection();
    ASSERT_TRUE(hub->Accept(5000));
    ASSERT_TRUE(hub->SendMessage("<NotifyPackagesFileErrorOut ErrorCode=\"3\" />", 5000));
    ASSERT_TRUE(DispatchUntil(*link, [&] { return log_.Has("file error 3"); }));
    EXPECT_EQ(log_.calls, (std::vector<std::string>{"reconnected", "reconnected", "file error 3"}));
}

// The hub beside the game is started when nothing answers: after half a second when
// the environment names no hub project, after ten seconds when it does.
TEST_F(HubLink, StartsItsHubAfterHalfASecondUnlessAProjectIdIsSetAndNeverAfterTerminate) {
    struct Side {
        std::string folder, hub, starts;
    };
    Side sides[2];
    for (int i = 0; i < 2; ++i) {
        Side& side = sides[i];
        side.folder = temp_ / (i == 0 ? "plain" : "project");
        side.hub = side.folder + "/VantryLight/VantryHub.exe";
        side.starts = side.folder + "/starts";
        std::filesystem::create_directories(side.folder + "/VantryLight");
        WriteHubScript(side.hub, side.starts,
                       {"--socket", side.folder + "/VantryV4", "--idle-exit", "20000", "--log", side.folder + "/log"});
    }
    const auto start = std::chrono::steady_clock::now();
    unsetenv("VT_PROJECT_ID");
    auto plain = Link(sides[0].hub, sides[0].folder, false);
    setenv("VT_PROJECT_ID", "7", 1);
    auto project = Link(sides[1].hub, sides[1].folder, false);
    unsetenv("VT_PROJECT_ID");

    ASSERT_TRUE(WaitUntil([&] { return plain->IsConnected(); }));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_EQ(ReadLines(sides[0].starts).size(), 1u);

    ASSERT_TRUE(plain->Terminate());
    ASSERT_TRUE(WaitUntil([&] { return HasLine(sides[0].folder + "/log", "terminated"); }));
    ASSERT_TRUE(WaitUntil([&] { return !plain->IsConnected(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    EXPECT_EQ(ReadLines(sides[0].starts).size(), 1u);
    EXPECT_EQ(ReadLines(sides[1].starts).size(), 0u);
    EXPECT_FALSE(project->IsConnected());
}

}  // namespace
