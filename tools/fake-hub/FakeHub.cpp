// A stand-in for the game hub, for the tests and the demo. It listens where the hub
// listens, checks the handshake of every client, and serves a scripted pack list with
// a pretend download (see HubScript.h), or echoes every message back.
//
//   fake_hub [--socket PATH] [--script FILE] [--log FILE] [--echo] [--idle-exit MS]
//
//   --socket     where to listen; the hub's usual place by default
//   --script     what to serve; an empty pack list by default
//   --log        appends one line per event: "connected", "handshake W0 W1 W2 W3 W4",
//                "message TEXT" (the message on one line), "closed", "terminated"
//   --echo       send every message back unchanged instead of answering it
//   --idle-exit  end after MS without a client (0, the default: never)
//
// It ends on "TerminateVTIn", closing the connection first.
#include <tinyxml.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "HubEndpoint.h"
#include "HubScript.h"
#include "hublink/PacketFormat.h"
#include "platform/ipc/RuntimePath.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSendTimeoutMs = 5000;
constexpr int kHandshakeTimeoutMs = 2000;

struct Options {
    std::string socket;
    std::string script;
    std::string log;
    bool echo = false;
    long idleExitMs = 0;
};

std::int64_t MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class EventLog {
public:
    explicit EventLog(const std::string& path) : file_(path.empty() ? nullptr : std::fopen(path.c_str(), "a")) {}
    ~EventLog() {
        if (file_) std::fclose(file_);
    }
    void Line(const std::string& text) {
        if (!file_) return;
        std::fprintf(file_, "%s\n", text.c_str());
        std::fflush(file_);
    }

private:
    std::FILE* file_;
};

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;
        if (option == "--echo") {
            options.echo = true;
        } else if (option == "--socket" && hasValue) {
            options.socket = argv[++i];
        } else if (option == "--script" && hasValue) {
            options.script = argv[++i];
        } else if (option == "--log" && hasValue) {
            options.log = argv[++i];
        } else if (option == "--idle-exit" && hasValue) {
            options.idleExitMs = std::strtol(argv[++i], nullptr, 10);
        } else {
            return false;
        }
    }
    return true;
}

// The handshake: 24 bytes, version 2, kind 0, 20 bytes of five little-endian words.
bool ReadHandshake(const std::string& packet, std::string& words) {
    if (packet.size() != 24 || packet.compare(0, 4, std::string("\x02\x00\x14\x00", 4)) != 0) return false;
    for (int i = 0; i < 5; ++i) {
        std::uint32_t word = 0;
        for (int b = 3; b >= 0; --b) word = (word << 8) | static_cast<unsigned char>(packet[4 + 4 * i + b]);
        words += (i ? " " : "") + std::to_string(word);
    }
    return true;
}

class FakeHub {
public:
    FakeHub(const Options& options, HubScript script, HubEndpoint& endpoint)
        : options_(options), script_(std::move(script)), endpoint_(endpoint), log_(options.log) {}

    int Run() {
        auto idleSince = Clock::now();
        for (;;) {
            if (!endpoint_.IsConnected()) {
                if (options_.idleExitMs > 0 && MsSince(idleSince) >= options_.idleExitMs) return 0;
                if (endpoint_.Accept(100)) Greet();
                continue;
            }
            Serve();
            if (terminated_) return 0;
            if (!endpoint_.IsConnected()) {
                log_.Line("closed");
                idleSince = Clock::now();
            }
        }
    }

private:
    void Greet() {
        std::string packet, words;
        if (endpoint_.Receive(packet, kHandshakeTimeoutMs) != HubEndpoint::Read::Datagram ||
            !ReadHandshake(packet, words)) {
            log_.Line("bad handshake");
            endpoint_.CloseConnection();
            return;
        }
        log_.Line("connected");
        log_.Line("handshake " + words);
        reassembler_.Clear();
        listRequested_ = false;
        if (!options_.echo) Send(script_.ParamsMessage());
    }

    // Reads and answers until the next progress report is due.
    void Serve() {
        const int waitMs = listRequested_ ? script_.tickMs : 1000;
        const auto start = Clock::now();
        std::string packet;
        switch (endpoint_.Receive(packet, waitMs)) {
            case HubEndpoint::Read::Closed:
                endpoint_.CloseConnection();
                return;
            case HubEndpoint::Read::Datagram:
                if (reassembler_.Add(reinterpret_cast<const std::uint8_t*>(packet.data()), packet.size()) ==
                    VTInterCom::Reassembler::Result::Complete) {
                    const ByteVector message = reassembler_.TakeMessage();
                    OnMessage(std::string(reinterpret_cast<const char*>(message.Data()), message.Size() - 1));
                }
                break;
            case HubEndpoint::Read::TimedOut:
                break;
        }
        if (listRequested_) ReportProgress(MsSince(start));
    }

    void OnMessage(const std::string& text) {
        if (options_.echo) {
            log_.Line("echo " + std::to_string(text.size()));
            Send(text);
            return;
        }
        TiXmlDocument document;
        document.Parse(text.c_str(), nullptr, TIXML_ENCODING_UTF8);
        const TiXmlElement* root = document.RootElement();
        if (!root) {
            log_.Line("unparsable " + std::to_string(text.size()));
            return;
        }
        TiXmlPrinter oneLine;
        oneLine.SetStreamPrinting();
        root->Accept(&oneLine);
        log_.Line(std::string("message ") + oneLine.CStr());

        const std::string name = root->Value();
        if (name == "GetPackInfosIn") {
            Send(script_.FullPackListMessage());
            if (!listRequested_ && script_.newBuild != 0) Send(script_.NewBuildMessage());
            listRequested_ = true;
        } else if (name == "SetPackStateExIn") {
            for (const TiXmlElement* ps = root->FirstChildElement("ps"); ps; ps = ps->NextSiblingElement("ps")) {
                int enable = 1, priority = 0;
                ps->QueryIntAttribute("Enable", &enable);
                ps->QueryIntAttribute("Priority", &priority);
                const char* packName = ps->Attribute("Name");
                script_.SetPackState(packName ? packName : "", enable != 0, priority);
            }
        } else if (name == "TerminateVTIn") {
            endpoint_.CloseConnection();
            log_.Line("terminated");
            terminated_ = true;
        }
    }

    // A progress report every tick, and a partial list of the packs that completed.
    void ReportProgress(std::int64_t elapsedMs) {
        sinceReport_ += elapsedMs;
        if (sinceReport_ < script_.tickMs || !endpoint_.IsConnected()) return;
        const std::vector<const ScriptPack*> completed = script_.Advance(sinceReport_);
        sinceReport_ = 0;
        if (!completed.empty()) Send(script_.PackListMessage(completed, false));
        Send(script_.ProgressMessage());
    }

    void Send(const std::string& message) {
        if (!endpoint_.SendMessage(message, kSendTimeoutMs)) endpoint_.CloseConnection();
    }

    const Options& options_;
    HubScript script_;
    HubEndpoint& endpoint_;
    EventLog log_;
    VTInterCom::Reassembler reassembler_;
    bool listRequested_ = false;
    bool terminated_ = false;
    std::int64_t sinceReport_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: fake_hub [--socket PATH] [--script FILE] [--log FILE] [--echo] [--idle-exit MS]\n");
        return 2;
    }
    if (options.socket.empty()) {
        const std::string folder = PrivateRuntimeFolder();
        if (folder.empty()) {
            std::fprintf(stderr, "fake_hub: no private runtime folder for the hub's socket; give --socket\n");
            return 1;
        }
        options.socket = folder + "/VantryV4";
    }
    HubScript script;
    std::string error;
    if (!options.script.empty() && !script.Load(options.script, error)) {
        std::fprintf(stderr, "fake_hub: %s\n", error.c_str());
        return 2;
    }
    std::unique_ptr<HubEndpoint> endpoint = HubEndpoint::Listen(options.socket);
    if (!endpoint) {
        std::fprintf(stderr, "fake_hub: cannot listen at %s\n", options.socket.c_str());
        return 1;
    }
    return FakeHub(options, std::move(script), *endpoint).Run();
}
