// The hub link's two costs, each beside the bare mechanism under it:
//  - a 1 MiB message sent to the fake hub in echo mode and received back whole, through
//    the link's worker, packets, queues and a second process, against the same bytes
//    bounced in 32 KiB datagrams over a raw socketpair by a thread;
//  - the dispatch of a "GetPackInfosOut" of 1,000 packs (checks, TinyXML parse, reading
//    every attribute into a pack list, the callback), against TinyXML parsing the text.
// Prints the best and median times and the ratios link / bare.
#include <poll.h>
#include <sys/socket.h>
#include <tinyxml.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "hublink/InterComClient.h"
#include "hublink/MessageDispatch.h"
#include "platform/process/ProcessHandle.h"
#include "platform/process/ProcessSpawn.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kMessageBytes = 1 << 20;
constexpr int kRoundTrips = 30;
constexpr int kPacks = 1000;
constexpr int kDispatchRounds = 200;

struct Timing {
    double best = 0;
    double median = 0;
};

Timing Summarise(std::vector<double> milliseconds) {
    std::sort(milliseconds.begin(), milliseconds.end());
    return {milliseconds.front(), milliseconds[milliseconds.size() / 2]};
}

template <class Round>
Timing Measure(int rounds, Round round) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        if (!round()) {
            std::fprintf(stderr, "a round failed\n");
            std::exit(1);
        }
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return Summarise(times);
}

void Report(const char* what, Timing link, Timing bare, const char* bareName) {
    std::printf("%s\n  link  best %8.3f ms  median %8.3f ms\n  %-5s best %8.3f ms  median %8.3f ms\n"
                "  ratio link / %s (medians): %.2f\n",
                what, link.best, link.median, bareName, bare.best, bare.median, bareName, link.median / bare.median);
}

// The link and the fake hub echoing every message.
Timing LinkRoundTrips(const std::string& folder) {
    const std::string socket = folder + "/VantryV4";
    const pid_t pid = SpawnProcess({FAKE_HUB_PATH, {FAKE_HUB_PATH, "--socket", socket, "--echo", "--idle-exit", "60000"}, ""});
    ProcessHandle hub = ProcessHandle::Open(pid);
    StringVector names;
    names.PushBack(String("VantryV4"));
    VTInterCom::LinkOptions options;
    options.socketFolder = folder;
    options.attemptPeriodMs = 5;
    VTInterCom::CInterComClient client(names, WideString(), 600000, 3, InterComHandshake(), options);
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!client.IsConnected() && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(1));

    ByteVector message;
    message.InsertFill(0, kMessageBytes, 'x');
    const Timing timing = Measure(kRoundTrips, [&] {
        if (!client.Send(message)) return false;
        bool reconnected = false;
        for (;;) {
            if (std::optional<ByteVector> echo = client.Receive(reconnected)) return echo->Size() == kMessageBytes + 1;
            if (!client.IsConnected()) return false;
            std::this_thread::yield();
        }
    });
    hub.Kill();
    hub.WaitForExit(5000);
    return timing;
}

// The same bytes in 32 KiB datagrams over a socketpair, bounced back by a thread.
Timing RawRoundTrips() {
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0) std::exit(1);
    std::thread echo([fd = pair[1]] {
        std::vector<char> buffer(VTInterCom::kPacketBufferSize);
        for (;;) {
            const ssize_t n = recv(fd, buffer.data(), buffer.size(), 0);
            if (n <= 0 || send(fd, buffer.data(), static_cast<std::size_t>(n), MSG_NOSIGNAL) != n) return;
        }
    });
    const std::size_t datagram = VTInterCom::kPacketBufferSize;
    std::vector<char> out(datagram, 'x');
    std::vector<char> in(datagram);
    const Timing timing = Measure(kRoundTrips, [&] {
        std::size_t sent = 0, received = 0;
        while (received < kMessageBytes) {
            pollfd entry{pair[0], static_cast<short>(POLLIN | (sent < kMessageBytes ? POLLOUT : 0)), 0};
            if (poll(&entry, 1, 5000) <= 0) return false;
            if ((entry.revents & POLLOUT) && sent < kMessageBytes &&
                send(pair[0], out.data(), datagram, MSG_DONTWAIT | MSG_NOSIGNAL) == static_cast<ssize_t>(datagram))
                sent += datagram;
            if (entry.revents & POLLIN) {
                const ssize_t n = recv(pair[0], in.data(), in.size(), MSG_DONTWAIT);
                if (n > 0) received += static_cast<std::size_t>(n);
            }
        }
        return true;
    });
    close(pair[0]);
    echo.join();
    close(pair[1]);
    return timing;
}

std::string PackList() {
    std::string text = "<GetPackInfosOut ApiVersion=\"3\" VantryBuild=\"12\" ServerBuild=\"5001\" FullPackSet=\"1\" "
                       "BuildInfo=\"1.0.0\" LastServerVerified=\"1700000000\">\n"
                       "    <Progress ReadyDone=\"123456789\" ReadyTotal=\"987654321\" DownloadDone=\"5000\" "
                       "DownloadTotal=\"864197532\" AlreadyDownloaded=\"123451789\" />\n";
    for (int i = 0; i < kPacks; ++i) {
        const std::string n = std::to_string(i);
        text += "    <Pack Name=\"Data/Packs/Pack" + n + (i % 7 == 0 ? ".HIRES" : "") + ".pak\" ReadyBuild=\"" +
                (i % 3 ? "5001" : "0") + "\" ServerBuild=\"5001\" Enabled=\"1\" Priority=\"" + std::to_string(i % 5) +
                "\" ReadyDone=\"" + std::to_string(i * 1000) + "\" ReadyTotal=\"" + std::to_string(i * 2000 + 7) +
                "\" DownloadDone=\"" + std::to_string(i * 500) + "\" DownloadTotal=\"" + std::to_string(i * 1500 + 7) +
                "\" />\n";
    }
    return text + "</GetPackInfosOut>\n";
}

}  // namespace

int main() {
    char pattern[] = "/tmp/hublink-bench-XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    const std::string folder = pattern;

    const Timing bare = RawRoundTrips();
    const Timing link = LinkRoundTrips(folder);
    std::filesystem::remove_all(folder);
    Report("1 MiB round trip (fake hub in echo mode / raw socketpair echo):", link, bare, "raw");

    const std::string text = PackList();
    ByteVector message;
    message.Append(text.data(), text.size());
    message.PushBack(0);
    std::size_t packs = 0;
    InterComCallbacks callbacks;
    callbacks.context = &packs;
    callbacks.packInfos = [](void* context, const PackInfos& infos) { *static_cast<std::size_t*>(context) = infos.Packs.Size(); };
    callbacks.progress = [](void*, const HubProgress&, const PackInfos*) {};
    bool lightMode = false;
    const Timing dispatch = Measure(kDispatchRounds, [&] {
        packs = 0;
        VTInterCom::DispatchHubMessage(message, callbacks, lightMode);
        return packs == static_cast<std::size_t>(kPacks);
    });
    const Timing parse = Measure(kDispatchRounds, [&] {
        TiXmlDocument document;
        document.Parse(text.c_str(), nullptr, TIXML_ENCODING_UTF8);
        return !document.Error();
    });
    char title[128];
    std::snprintf(title, sizeof title, "\"GetPackInfosOut\" of %d packs, %zu bytes (dispatch / TinyXML parse):", kPacks,
                  text.size());
    Report(title, dispatch, parse, "parse");
    return 0;
}
