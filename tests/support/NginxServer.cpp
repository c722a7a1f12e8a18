#include "support/NginxServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <thread>

#include "platform/process/ProcessSpawn.h"

namespace {

// A port nothing listens on at this moment; 0 when none could be found. Another
// process may take it before nginx does: Start then tries again with a new one.
std::uint16_t FreePort(const std::string& address) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return 0;
    sockaddr_in where{};
    where.sin_family = AF_INET;
    ::inet_pton(AF_INET, address.c_str(), &where.sin_addr);
    socklen_t length = sizeof where;
    std::uint16_t port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&where), sizeof where) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&where), &length) == 0)
        port = ntohs(where.sin_port);
    ::close(fd);
    return port;
}

bool Accepts(const std::string& address, std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(port);
    ::inet_pton(AF_INET, address.c_str(), &where.sin_addr);
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&where), sizeof where) == 0;
    ::close(fd);
    return connected;
}

}  // namespace

std::string NginxServer::Executable() {
    const std::string found = FindExecutableInPath("nginx");
    if (!found.empty()) return found;
    return ::access("/usr/sbin/nginx", X_OK) == 0 ? "/usr/sbin/nginx" : "";
}

NginxServer::NginxServer(const std::string& folder, const std::string& address) : folder_(folder), address_(address) {}

NginxServer::~NginxServer() { Stop(); }

std::string NginxServer::BaseUrl() const { return "http://" + address_ + ":" + std::to_string(port_) + "/"; }

bool NginxServer::Start() {
    if (process_.IsValid()) return true;
    for (int attempt = 0; attempt < 5; ++attempt) {
        const std::uint16_t port = FreePort(address_);
        if (port != 0 && StartOnPort(port)) return true;
    }
    return false;
}

bool NginxServer::StartOnPort(std::uint16_t port) {
    const std::string prefix = prefix_.Path();
    // One process and no user switch: as root, workers would run as "nobody" and could
    // not read the test's private folders.
    const std::string config =
        "worker_processes 1;\n"
        "master_process off;\n"
        "pid " + prefix + "nginx.pid;\n"
        "error_log " + prefix + "logs/error.log;\n"
        "events { worker_connections 64; }\n"
        "http {\n"
        "  access_log " + prefix + "logs/access.log;\n"
        "  client_body_temp_path " + prefix + "temp/body;\n"
        "  proxy_temp_path " + prefix + "temp/proxy;\n"
        "  fastcgi_temp_path " + prefix + "temp/fastcgi;\n"
        "  uwsgi_temp_path " + prefix + "temp/uwsgi;\n"
        "  scgi_temp_path " + prefix + "temp/scgi;\n"
        "  default_type application/octet-stream;\n"
        "  sendfile on;\n"
        "  keepalive_timeout 60;\n"
        "  server {\n"
        "    listen " + address_ + ":" + std::to_string(port) + ";\n"
        "    root \"" + folder_ + "\";\n"
        "    location / { }\n"
        "  }\n"
        "}\n";
    prefix_.WriteFile("nginx.conf", config);
    prefix_.WriteFile("logs/error.log", "");
    prefix_.WriteFile("temp/.keep", "");

    const std::string program = Executable();
    if (program.empty()) return false;
    SpawnRequest request;
    request.program = program;
    request.argv = {program, "-p", prefix, "-c", prefix + "nginx.conf", "-e", prefix + "logs/error.log",
                    "-g", "daemon off;"};
    const pid_t pid = SpawnProcess(request);
    if (pid < 0) return false;
    process_ = ProcessHandle::Open(pid);
    if (!process_.IsValid()) return false;

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        if (Accepts(address_, port)) {
            port_ = port;
            return true;
        }
        // Ended already: most likely the port was taken in the meantime.
        if (process_.WaitForExit(20) != WaitResult::TimedOut) {
            process_ = ProcessHandle();
            return false;
        }
    }
    Stop();
    return false;
}

void NginxServer::Stop() {
    if (!process_.IsValid()) return;
    ::kill(process_.Pid(), SIGTERM);
    if (process_.WaitForExit(5000) == WaitResult::TimedOut) {
        process_.Kill();
        process_.WaitForExit(5000);
    }
    process_ = ProcessHandle();
    port_ = 0;
}
