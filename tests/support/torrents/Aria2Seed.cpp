#include "support/torrents/Aria2Seed.h"

#include <unistd.h>

#include "platform/process/ProcessSpawn.h"
#include "support/LoopbackPorts.h"

std::string Aria2Seed::Executable() { return FindExecutableInPath("aria2c"); }

Aria2Seed::Aria2Seed(const std::string& torrentBytes, const std::string& folder, int uploadLimit)
    : folder_(folder), uploadLimit_(uploadLimit) {
    work_.WriteFile("seed.torrent", torrentBytes);
}

Aria2Seed::~Aria2Seed() = default;

bool Aria2Seed::Start() {
    if (process_.IsRunning()) return true;
    for (int attempt = 0; attempt < 5; ++attempt) {
        const std::uint16_t port = FreeTcpPort("0.0.0.0");
        if (port != 0 && StartOnPort(port)) return true;
    }
    return false;
}

bool Aria2Seed::StartOnPort(std::uint16_t port) {
    const std::string program = Executable();
    if (program.empty()) return false;
    // aria2c listens on every address; peers reach it at 127.0.0.2.
    const bool started = process_.Start({program,
                                         "--no-conf=true",
                                         "--dir=" + folder_,
                                         "--bt-seed-unverified=true",
                                         "--seed-ratio=0.0",
                                         "--listen-port=" + std::to_string(port),
                                         "--enable-dht=false",
                                         "--enable-dht6=false",
                                         "--bt-enable-lpd=false",
                                         "--enable-peer-exchange=false",
                                         "--bt-exclude-tracker=*",
                                         "--file-allocation=none",
                                         "--max-upload-limit=" + std::to_string(uploadLimit_),
                                         "--stop-with-process=" + std::to_string(::getpid()),
                                         "--quiet=true",
                                         "--log=" + work_.Path() + "aria2.log",
                                         "--log-level=info",
                                         work_.Path() + "seed.torrent"},
                                        "127.0.0.2", port);
    port_ = started ? port : 0;
    return started;
}

void Aria2Seed::Stop() {
    process_.Stop();
    port_ = 0;
}
