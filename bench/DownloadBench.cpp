// Downloads one torrent of 1 GiB (four large files and many small ones) over loopback,
// side by side in one run:
//   - from a libtorrent seed (high-performance preset, 127.0.0.2) named by a tracker:
//     the launcher's TorrentSession with its production settings (public discovery off,
//     TCP only, listening on 127.0.0.1), a bare libtorrent session with exactly the same
//     settings, and aria2c;
//   - from nginx as the only web seed: the launcher's TorrentSession, and curl fetching
//     the same files over one keep-alive connection;
//   - the launcher's whole patch-download step on the program's main loop, from command
//     300 to "Patching.OnDownloadComplete", from the same seed, beside bare libtorrent.
// Every download writes the whole payload into a fresh folder. The payload and its
// torrent are made once (in argv[1], or under $TMPDIR) and reused by later runs.
// Prints MB/s (best of several rounds) and the ratios against the goals.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <libtorrent/alert_types.hpp>
#include <libtorrent/bdecode.hpp>
#include <libtorrent/bencode.hpp>
#include <libtorrent/entry.hpp>
#include <libtorrent/session.hpp>
#include <libtorrent/torrent_flags.hpp>
#include <libtorrent/torrent_info.hpp>

#include <glib.h>

#include "base/runtime/StrUtil.h"
#include "engine/torrent/TorrentSession.h"
#include "engine/torrent/TorrentSessionParams.h"
#include "platform/glib/GlibTimerHost.h"
#include "platform/process/ProcessSpawn.h"
#include "support/FileBytes.h"
#include "support/LoopbackHttpServer.h"
#include "support/NginxServer.h"
#include "support/torrents/SeedSession.h"
#include "support/torrents/SessionDriver.h"
#include "support/torrents/TorrentFixtures.h"
#include "workflow/PageCommands.h"
#include "workflow/patches/PatchesDownloadFunctor.h"
#include "workflow/patches/VersionUpdateState.h"

namespace {

namespace fs = std::filesystem;

constexpr int kLargeFiles = 4;
constexpr std::uint64_t kLargeSize = 200ull << 20;
constexpr int kSmallFiles = 2000;
constexpr std::uint64_t kPayloadSize = 1ull << 30;
constexpr int kRounds = 5;
constexpr std::chrono::milliseconds kDownloadLimit = std::chrono::minutes(3);
const char* const kTop = "Bench";

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }
double MBPerSecond(std::uint64_t bytes, double seconds) { return bytes / seconds / 1e6; }

[[noreturn]] void Fail(const std::string& why) {
    std::fprintf(stderr, "DownloadBench: %s\n", why.c_str());
    std::exit(1);
}

// Large files first, then small ones of varied sizes over a few folders (PlannedSizes),
// filling the payload's size exactly.
Payload PayloadFiles() {
    Payload files;
    for (int i = 0; i < kLargeFiles; ++i) files.push_back({"packs/data" + std::to_string(i) + ".pak", ""});
    for (int i = 0; i < kSmallFiles; ++i) {
        files.push_back({"res/set" + std::to_string(i % 40) + "/item" + std::to_string(i) + ".dat", ""});
    }
    return files;
}

std::vector<std::uint64_t> PlannedSizes() {
    std::vector<std::uint64_t> sizes(kLargeFiles, kLargeSize);
    const std::uint64_t rest = kPayloadSize - kLargeFiles * kLargeSize;
    std::vector<std::uint64_t> weights(kSmallFiles);
    std::uint64_t weightSum = 0;
    for (int i = 0; i < kSmallFiles; ++i) weightSum += weights[i] = 1 + (i * 7919u) % 997;
    std::uint64_t given = 0;
    for (int i = 0; i < kSmallFiles; ++i) {
        const std::uint64_t size = i + 1 == kSmallFiles ? rest - given : rest * weights[i] / weightSum;
        given += size;
        sizes.push_back(size);
    }
    return sizes;
}

bool WriteFile(const std::string& path, std::uint64_t size, unsigned seed) {
    std::error_code error;
    fs::create_directories(fs::path(path).parent_path(), error);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (std::uint64_t done = 0; out && done < size;) {
        const std::uint64_t count = std::min<std::uint64_t>(size - done, 1 << 20);
        out << PatternBytes(count, seed * 65599u + static_cast<unsigned>(done >> 20));
        done += count;
    }
    return static_cast<bool>(out.flush());
}

// The payload under root/seed/Bench/, and its torrent (without a tracker) in
// root/bench.torrent, written last so that its presence marks a complete set.
std::string EnsurePayload(const std::string& root, const Payload& files) {
    const std::string torrentPath = root + "bench.torrent";
    std::string torrent = ReadWholeFile(torrentPath);
    if (!torrent.empty()) return torrent;
    std::printf("writing the payload into %s (1 GiB, once)...\n", root.c_str());
    std::fflush(stdout);
    const std::vector<std::uint64_t> sizes = PlannedSizes();
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!WriteFile(root + "seed/" + kTop + "/" + files[i].path, sizes[i], static_cast<unsigned>(i + 1))) {
            Fail("cannot write the payload in " + root);
        }
    }
    torrent = TorrentOfFiles(root + "seed", kTop, files, {.pieceSize = 0});
    if (torrent.empty() || !WriteWholeFile(torrentPath, torrent)) Fail("cannot make the torrent");
    return torrent;
}

// The same torrent (the same info hash) announcing to a tracker.
std::string WithTracker(const std::string& torrent, const std::string& trackerUrl) {
    lt::entry root = lt::bdecode(lt::span<const char>(torrent.data(), static_cast<std::ptrdiff_t>(torrent.size())));
    root["announce"] = trackerUrl;
    std::string bytes;
    lt::bencode(std::back_inserter(bytes), root);
    return bytes;
}

// A fresh folder for one download, removed after it.
class DownloadFolder {
public:
    explicit DownloadFolder(const std::string& path) : path_(path) {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~DownloadFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const std::string& Path() const { return path_; }

    // The payload arrived whole, by its sizes on disk.
    void CheckComplete(const Payload& files, const std::vector<std::uint64_t>& sizes, const char* who) const {
        for (std::size_t i = 0; i < files.size(); ++i) {
            std::error_code error;
            if (fs::file_size(path_ + "/" + kTop + "/" + files[i].path, error) != sizes[i] || error) {
                Fail(std::string(who) + " left " + files[i].path + " incomplete");
            }
        }
    }

private:
    std::string path_;
};

struct Finish : RefCounter {
    bool done = false;
    bool OnFinished() {
        done = true;
        return true;
    }
};

// The launcher's session on the download folder, driven as a tight owner's tick would.
double DownloadWithLauncher(const std::string& torrent, const TorrentSessionConfig& config, const std::string& folder) {
    WriteWholeFile(folder + "/bench.torrent", torrent);
    RefPtr<TorrentSession> session = TorrentSession::Create(config, StrUtil::ToWide(String(folder.c_str())), 0);
    if (!session) Fail("the launcher's session did not start");
    RefPtr<ITorrent> download = session->AddTorrent(u"bench.torrent");
    if (!download) Fail("the launcher's session refused the torrent");
    RefPtr<Finish> finish(new Finish);
    download->Finished.Connect<&Finish::OnFinished>(finish.Get());
    const auto start = std::chrono::steady_clock::now();
    download->Pause(false);
    if (!DriveUntil(*session, [&] { return finish->done; }, kDownloadLimit)) Fail("the launcher's download did not finish");
    return Seconds(std::chrono::steady_clock::now() - start);
}

// libtorrent alone, with the settings the launcher's session is made with.
double DownloadWithBareLibtorrent(const std::string& torrent, const TorrentSessionConfig& config,
                                  const std::string& folder) {
    lt::session session(TorrentEngine::MakeSessionParams(config));
    lt::add_torrent_params params;
    params.ti = std::make_shared<lt::torrent_info>(
        lt::span<const char>(torrent.data(), static_cast<std::ptrdiff_t>(torrent.size())), lt::from_span);
    params.save_path = folder;
    for (const String& url : config.seedUrls) params.url_seeds.push_back(url.Std());  // as the launcher adds them
    params.flags = lt::torrent_flags::auto_managed;  // started at once, as the launcher's resume does
    const auto start = std::chrono::steady_clock::now();
    session.add_torrent(std::move(params));
    for (bool done = false; !done;) {
        if (std::chrono::steady_clock::now() - start > kDownloadLimit) Fail("libtorrent's download did not finish");
        session.wait_for_alert(std::chrono::milliseconds(10));
        std::vector<lt::alert*> alerts;
        session.pop_alerts(&alerts);
        for (const lt::alert* alert : alerts) done = done || lt::alert_cast<lt::torrent_finished_alert>(alert);
    }
    return Seconds(std::chrono::steady_clock::now() - start);
}

// The patch request's part for the step: the one patch, as the server handed it over.
class GivenPatches final : public IPatchesRequestFunctor {
public:
    explicit GivenPatches(PatchInfos* patches) : patches_(patches) {}
    bool Run() override { return true; }
    RefPtr<PatchInfos> GetResult() override { return patches_; }

private:
    RefPtr<PatchInfos> patches_;
};

// The main window as the step sees it: its timers on the main loop; the page's events
// only tell when the download is complete.
struct BenchWindow final : IMainWindow {
    GlibTimerHost timers{&Timer::TimerProc};
    bool complete = false;
    bool failed = false;

    bool SendEvent(const WideString& name) override { return SendEventArgs(name, WideStringVector()); }
    bool SendEventArgs(const WideString& name, const WideStringVector&) override {
        if (name == WideString(u"Patching.OnDownloadComplete")) complete = true;
        if (name == WideString(u"Patching.OnTorrentError") || name == WideString(u"Launcher.OnDiskSpaceError")) failed = true;
        return true;
    }
    void EndDialog(int) override {}
    void FinishWithResult(const WideString&) override {}
    void SetTitleVersion(const WideString&) override {}
    TimerHost* Timers() override { return &timers; }
};

// The update container with the patch request done: command 300 downloads the patch
// into the folder, as the page asks for it, until the page hears it is complete.
double DownloadWithPatchStep(const std::string& torrent, const TorrentSessionConfig& config, const std::string& folder) {
    RefPtr<PatchInfos> patches(new PatchInfos());
    ByteVector bytes;
    for (char c : torrent) bytes.PushBack(static_cast<unsigned char>(c));
    patches->items.PushBack(RefPtr<PatchInfo>(new PatchInfo(WideString(u"1.0.1"), 1, WideString(u"patches/bench.torrent"), bytes)));
    BenchWindow window;
    VersionUpdateSteps steps;
    steps.patchesRequest = [&](IMainWindow*) { return RefPtr<IPatchesRequestFunctor>(new GivenPatches(patches.Get())); };
    steps.patchesDownload = [&](IMainWindow* w, PatchInfos* given) -> RefPtr<IPatchesDownloadFunctor> {
        DownloadEngineOptions options;
        options.folder = StrUtil::ToWide(String(folder.c_str()));
        options.session = config;
        RefPtr<PatchesDownloadView> view(new PatchesDownloadView(w));
        return PatchesDownloadFunctor::Create(view.Get(), options, given, 0);
    };
    RefPtr<VersionUpdateState> road(new VersionUpdateState(&window, steps));
    if (!road->OnCommand(PageCommand::PatchesRequest, WideString())) Fail("the patch request step did not start");
    const auto start = std::chrono::steady_clock::now();
    if (!road->OnCommand(PageCommand::PatchesDownload, WideString())) Fail("the patch download did not start");
    while (!window.complete) {
        if (window.failed) Fail("the patch download failed");
        if (std::chrono::steady_clock::now() - start > kDownloadLimit) Fail("the patch download did not finish");
        g_main_context_iteration(nullptr, TRUE);
    }
    const double seconds = Seconds(std::chrono::steady_clock::now() - start);
    road = nullptr;  // the step's session ends here, outside the measured time
    return seconds;
}

double RunProgram(const std::vector<std::string>& argv, const char* who) {
    SpawnRequest request;
    request.program = FindExecutableInPath(argv[0]);
    if (request.program.empty()) Fail(std::string(argv[0]) + " is not installed");
    request.argv = argv;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = SpawnProcess(request);
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        Fail(std::string(who) + " failed");
    }
    return Seconds(std::chrono::steady_clock::now() - start);
}

double DownloadWithAria2(const std::string& torrent, const std::string& folder) {
    const std::string torrentPath = folder + "/../aria2-bench.torrent";
    WriteWholeFile(torrentPath, torrent);
    return RunProgram({"aria2c", "--no-conf=true", "--dir=" + folder, "--seed-time=0", "--enable-dht=false",
                       "--enable-dht6=false", "--bt-enable-lpd=false", "--enable-peer-exchange=false",
                       "--file-allocation=none", "--quiet=true", "--listen-port=6990-6999", torrentPath},
                      "aria2c");
}

// One curl, one connection: every file of the payload from the web seed, written to disk.
double DownloadWithCurl(const std::string& baseUrl, const Payload& files, const std::string& folder) {
    std::string config;
    for (const PayloadFile& file : files) {
        const std::string path = std::string(kTop) + "/" + file.path;
        config += "url = \"" + baseUrl + path + "\"\noutput = \"" + folder + "/" + path + "\"\n";
    }
    const std::string configPath = folder + "/../curl-bench.conf";
    WriteWholeFile(configPath, config);
    return RunProgram({"curl", "--silent", "--fail", "--create-dirs", "--config", configPath}, "curl");
}

std::string DefaultFolder() {
    const char* temp = std::getenv("TMPDIR");
    return std::string(temp && *temp ? temp : "/tmp") + "/launcher-download-bench";
}

void Report(const char* name, double seconds) {
    std::printf("  %-36s %7.1f MB/s (%.2f s)\n", name, MBPerSecond(kPayloadSize, seconds), seconds);
}

void Ratio(const char* name, double ratio, double goal) {
    std::printf("  %-36s %7.2f (goal %.2f or more: %s)\n", name, ratio, goal, ratio >= goal ? "met" : "NOT met");
}

}  // namespace

int main(int argc, char** argv) {
    std::string root = fs::absolute(argc > 1 ? argv[1] : DefaultFolder()).string();
    if (root.back() != '/') root += '/';
    fs::create_directories(root + "bin");
    // The step's logs land beside the folder, as in a game tree, not where the bench ran.
    if (::chdir((root + "bin").c_str()) != 0) Fail("cannot enter " + root + "bin");
    const Payload files = PayloadFiles();
    const std::vector<std::uint64_t> sizes = PlannedSizes();
    const std::string torrent = EnsurePayload(root, files);
    const std::string seedFolder = root + "seed";

    SeedSession seed({"127.0.0.2", true});
    if (!seed.Seed(torrent, seedFolder)) Fail("the seed refused the torrent");
    LoopbackHttpServer tracker;
    tracker.SetTrackerPeers({{seed.Address(), static_cast<std::uint16_t>(seed.Port())}});
    const std::string announced = WithTracker(torrent, tracker.BaseUrl() + "announce");
    NginxServer nginx(seedFolder);
    if (!nginx.Start()) Fail("nginx did not start: " + nginx.ErrorLog());

    // The production settings on loopback: a port of the system's choice, no public
    // discovery, and TCP only (libtorrent's uTP crawls over loopback).
    const TorrentSessionConfig peerConfig = LoopbackSessionConfig();
    TorrentSessionConfig webConfig = LoopbackSessionConfig();
    webConfig.seedUrls.PushBack(String(nginx.BaseUrl().c_str()));

    const std::string target = root + "download";
    struct Contender {
        const char* name;
        std::function<double()> download;
        double best = 1e9;
    };
    std::vector<Contender> contenders = {
        {"launcher (TorrentSession), seed", [&] { return DownloadWithLauncher(announced, peerConfig, target); }},
        {"bare libtorrent, same settings, seed", [&] { return DownloadWithBareLibtorrent(announced, peerConfig, target); }},
        {"aria2c, seed", [&] { return DownloadWithAria2(announced, target); }},
        {"launcher (TorrentSession), web seed", [&] { return DownloadWithLauncher(torrent, webConfig, target); }},
        {"curl, web seed", [&] { return DownloadWithCurl(nginx.BaseUrl(), files, target); }},
        {"patch step, 300 to complete, seed", [&] { return DownloadWithPatchStep(announced, peerConfig, target); }},
    };
    // Each round starts with the next contender, so that none always follows the same one
    // (the writeback of the previous download still runs when the next one starts).
    for (int round = 0; round < kRounds; ++round) {
        for (std::size_t turn = 0; turn < contenders.size(); ++turn) {
            Contender& contender = contenders[(round + turn) % contenders.size()];
            DownloadFolder folder(target);
            contender.best = std::min(contender.best, contender.download());
            folder.CheckComplete(files, sizes, contender.name);
        }
    }
    std::printf("%d files, %.0f MiB, best of %d rounds:\n", static_cast<int>(files.size()), kPayloadSize / double(1 << 20),
                kRounds);
    for (const Contender& contender : contenders) Report(contender.name, contender.best);
    Ratio("launcher / bare libtorrent", contenders[1].best / contenders[0].best, 0.90);
    Ratio("launcher / aria2c", contenders[2].best / contenders[0].best, 2.0);
    Ratio("launcher / curl (web seed)", contenders[4].best / contenders[3].best, 0.60);
    Ratio("patch step / bare libtorrent", contenders[1].best / contenders[5].best, 0.90);
    return 0;
}
