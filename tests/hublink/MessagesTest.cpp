#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "hublink/MessageDispatch.h"
#include "hublink/OutgoingMessages.h"

namespace {

std::string Text(const ByteVector& bytes) { return std::string(reinterpret_cast<const char*>(bytes.Data()), bytes.Size()); }

TEST(HubRequests, PrintAsTinyXmlDoesWithoutDeclaration) {
    Vector<PackState> states;
    states.PushBack(PackState{String("Base.pak"), 2, 1});
    states.PushBack(PackState{String("Tex \"A&B\".HIRES"), 0, 0});
    EXPECT_EQ(Text(VTInterCom::PrintTerminateMessage()), "<TerminateVTIn />\n");
    EXPECT_EQ(Text(VTInterCom::PrintGetPackInfosMessage()), "<GetPackInfosIn />\n");
    EXPECT_EQ(Text(VTInterCom::PrintPackStatesMessage(Vector<PackState>())), "<SetPackStateExIn />\n");
    EXPECT_EQ(Text(VTInterCom::PrintPackStatesMessage(states)),
              "<SetPackStateExIn>\n"
              "    <ps Name=\"Base.pak\" Enable=\"1\" Priority=\"2\" />\n"
              "    <ps Name='Tex &quot;A&amp;B&quot;.HIRES' Enable=\"0\" Priority=\"0\" />\n"
              "</SetPackStateExIn>\n");
    EXPECT_EQ(Text(VTInterCom::PrintAcceptedBuildMessage(-5001)), "<SetClientAcceptedBuildIn AcceptedBuild=\"-5001\" />\n");
}

// Every callback call as one line of text.
struct Recorder {
    std::vector<std::string> calls;
    std::string lastErrorBytes;

    static std::string Packs(const PackInfos& infos) {
        std::string out = std::to_string(infos.ApiVersion) + "," + std::to_string(infos.VantryBuild) + "," +
                          std::to_string(infos.ServerBuild) + "," + (infos.FullPackSet ? "full" : "part") + "," +
                          infos.BuildInfo.CStr() + "," + std::to_string(infos.LastServerVerified);
        for (const PackInfo& pack : infos.Packs) {
            out += "|" + std::string(pack.Name.CStr()) + ":" + std::to_string(pack.ReadyBuild) + ":" +
                   std::to_string(pack.ServerBuild) + ":" + (pack.Enabled ? "on" : "off") + ":" +
                   std::to_string(pack.Priority);
            if (pack.Counters) {
                out += ":" + std::to_string(pack.Counters->ReadyDone) + "/" + std::to_string(pack.Counters->ReadyTotal) +
                       "/" + std::to_string(pack.Counters->DownloadDone) + "/" +
                       std::to_string(pack.Counters->DownloadTotal);
            }
        }
        return out;
    }

    InterComCallbacks Callbacks() {
        InterComCallbacks table;
        table.context = this;
        table.firstSlot = [](void* c) { Self(c).calls.push_back("first"); };
        table.protocolError = [](void* c, const std::uint8_t* bytes, std::size_t count) {
            Self(c).calls.push_back("error(" + std::to_string(count) + ")");
            Self(c).lastErrorBytes.assign(reinterpret_cast<const char*>(bytes), count);
        };
        table.packInfos = [](void* c, const PackInfos& infos) { Self(c).calls.push_back("packs(" + Packs(infos) + ")"); };
        table.buildInfo = [](void* c, const PackInfos& infos) { Self(c).calls.push_back("build(" + Packs(infos) + ")"); };
        table.newBuildDetected = [](void* c, int build, const String& info) {
            Self(c).calls.push_back("newbuild(" + std::to_string(build) + "," + info.CStr() + ")");
        };
        table.networkParams = [](void* c, const HubNetworkParams& params) {
            Self(c).calls.push_back("network(" + std::to_string(params.downloadRateLimit) + "," +
                                    std::to_string(params.uploadRateLimit) + ")");
        };
        table.progress = [](void* c, const HubProgress& p, const PackInfos* packs) {
            Self(c).calls.push_back("progress(" + std::to_string(p.ReadyDone) + "," + std::to_string(p.ReadyTotal) + "," +
                                    std::to_string(p.DownloadDone) + "," + std::to_string(p.DownloadTotal) + "," +
                                    std::to_string(p.AlreadyDownloaded) + (packs ? ";" + Packs(*packs) : "") + ")");
        };
        table.reconnected = [](void* c) { Self(c).calls.push_back("reconnected"); };
        table.packagesFileError = [](void* c, int code) {
            Self(c).calls.push_back("fileerror(" + std::to_string(code) + ")");
        };
        table.params = [](void* c, int pid, int api, bool light, int accepted) {
            Self(c).calls.push_back("params(" + std::to_string(pid) + "," + std::to_string(api) + "," +
                                    (light ? "light" : "full") + "," + std::to_string(accepted) + ")");
        };
        return table;
    }

    static Recorder& Self(void* context) { return *static_cast<Recorder*>(context); }
};

// A message as the transport delivers it: the text and one zero byte.
ByteVector Delivered(const std::string& text) {
    ByteVector bytes;
    bytes.Append(text.data(), text.size());
    bytes.PushBack(0);
    return bytes;
}

TEST(HubMessages, ReachTheirCallbacksInOrder) {
    struct Case {
        std::string text;
        std::vector<std::string> calls;
        std::optional<bool> lightMode = std::nullopt;  // what "SetParams" sets; others leave it
    };
    const Case cases[] = {
        {"<SetParams ProcessId=\"4294967297\" ApiVersion=\"3\" LightMode=\"1\" ClientAccepted=\"1\" />",
         {"params(1,3,light,1)"}, true},
        // Absent, overflowing and unreadable numbers all count as 0.
        {"<SetParams />", {"params(0,0,full,0)"}, false},
        {"<SetParams ProcessId=\"99999999999999999999\" ApiVersion=\"2147483648\" LightMode=\"x\" "
         "ClientAccepted=\" -7tail\" />",
         {"params(0,0,full,-7)"}, false},
        {"<GetPackInfosOut ApiVersion=\"3\" VantryBuild=\"2\" ServerBuild=\"7\" FullPackSet=\"1\" "
         "BuildInfo=\"1.0 &amp; &#x4E2D;\" LastServerVerified=\"9000000000\">"
         "<Pack Name=\"A&lt;1&gt;\" ReadyBuild=\"7\" ServerBuild=\"7\" Enabled=\"1\" Priority=\"2\" />"
         "<Other Name=\"skipped\" />"
         "<Pack Name=\"B\" ReadyTotal=\"5\" Enabled=\"0\" />"
         "<Pack Name=\"C.HIRES\" ReadyDone=\"1\" ReadyTotal=\"2\" DownloadDone=\"3\" DownloadTotal=\"40000000000\" />"
         "</GetPackInfosOut>",
         {"packs(3,2,7,full,1.0 & \xE4\xB8\xAD,9000000000|A<1>:7:7:on:2|B:0:0:off:0|C.HIRES:0:0:off:0:1/2/3/40000000000)"}},
        {"<GetPackInfosOut ServerBuild=\"7\">"
         "<Progress ReadyDone=\"1\" ReadyTotal=\"2\" DownloadDone=\"3\" DownloadTotal=\"4\" AlreadyDownloaded=\"5\">"
         "<Packs ServerBuild=\"7\"><Pack Name=\"A\" ReadyBuild=\"7\" /></Packs></Progress>"
         "<Pack Name=\"X\" /></GetPackInfosOut>",
         {"progress(1,2,3,4,5;0,0,7,part,,0|A:7:0:off:0)", "packs(0,0,7,part,,0|X:0:0:off:0)"}},
        {"<NewGameBuildInfoOut ServerBuild=\"8\" BuildInfo=\"1.1\"><Progress ReadyDone=\"1\" /></NewGameBuildInfoOut>",
         {"progress(1,0,0,0,0)", "build(0,0,8,part,1.1,0)"}},
        {"<NewGameBuildDetectedOut NewBuild=\"9\" BuildInfo=\"1.0\" />", {"newbuild(9,1.0)"}},
        {"<NewGameBuildDetectedOut><Progress /></NewGameBuildDetectedOut>", {"progress(0,0,0,0,0)", "newbuild(0,)"}},
        {"<GetProgressOut><Progress DownloadDone=\"12345678901\" /></GetProgressOut>", {"progress(0,0,12345678901,0,0)"}},
        {"<GetProgressOut><Other /></GetProgressOut>", {}},
        {"<GetNetworkParamsOut UploadRateLimit=\"10\" DownloadRateLimit=\"20\" />", {"network(20,10)"}},
        {"<GetNetworkParamsOut />", {"network(0,0)"}},
        {"<NotifyPackagesFileErrorOut ErrorCode=\"5\" />", {"fileerror(5)"}},
        {"<NotifyPackagesFileErrorOut />", {"fileerror(0)"}},
        {"<?xml version=\"1.0\"?>\n<!-- the hub -->\n<GetNetworkParamsOut UploadRateLimit=\"1\" />", {"network(0,1)"}},
        // The text ends at its first zero byte.
        {std::string("<NotifyPackagesFileErrorOut ErrorCode=\"1\" />\0<junk", 50), {"fileerror(1)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Recorder recorder;
        bool lightMode = c.lightMode ? !*c.lightMode : true;
        VTInterCom::DispatchHubMessage(Delivered(c.text), recorder.Callbacks(), lightMode);
        EXPECT_EQ(recorder.calls, c.calls);
        EXPECT_EQ(lightMode, c.lightMode.value_or(true));
    }
}

TEST(HubMessages, AnythingElseIsAProtocolErrorWithTheWholeMessage) {
    const std::string deep = [] {
        std::string text = "<GetProgressOut>";
        for (int i = 0; i < VTInterCom::kMaxXmlDepth; ++i) text += "<a>";
        for (int i = 0; i < VTInterCom::kMaxXmlDepth; ++i) text += "</a>";
        return text + "</GetProgressOut>";
    }();
    const std::string huge = "<GetProgressOut>" + std::string(VTInterCom::kMaxXmlMessageBytes, ' ') + "</GetProgressOut>";
    const std::string rejected[] = {
        "<SetParamsOut />", "<setparams />", "not xml", "", "<GetProgressOut>", "<!-- no root -->",
        std::string("<SetPar\0ams />", 14), "<GetProgressOut>\xC3</GetProgressOut>", deep, huge,
    };
    for (const std::string& text : rejected) {
        SCOPED_TRACE(text.substr(0, 60));
        Recorder recorder;
        bool lightMode = false;
        const ByteVector message = Delivered(text);
        VTInterCom::DispatchHubMessage(message, recorder.Callbacks(), lightMode);
        EXPECT_EQ(recorder.calls, std::vector<std::string>{"error(" + std::to_string(text.size() + 1) + ")"});
        EXPECT_EQ(recorder.lastErrorBytes, Text(message));
    }
}

TEST(HubMessages, MissingCallbacksAreSkipped) {
    Recorder recorder;
    InterComCallbacks table = recorder.Callbacks();
    table.progress = nullptr;
    table.protocolError = nullptr;
    bool lightMode = false;
    VTInterCom::DispatchHubMessage(Delivered("<GetPackInfosOut><Progress ReadyDone=\"1\" /><Pack Name=\"A\" /></GetPackInfosOut>"),
                                   table, lightMode);
    VTInterCom::DispatchHubMessage(Delivered("<Unknown />"), table, lightMode);
    EXPECT_EQ(recorder.calls, std::vector<std::string>{"packs(0,0,0,part,,0|A:0:0:off:0)"});
}

}  // namespace
