#include "support/NginxServer.h"

#include <unistd.h>

#include "platform/process/ProcessSpawn.h"
#include "support/LoopbackPorts.h"

std::string NginxServer::Executable() {
    const std::string found = FindExecutableInPath("nginx");
    if (!found.empty()) return found;
    return ::access("/usr/sbin/nginx", X_OK) == 0 ? "/usr/sbin/nginx" : "";
}

NginxServer::NginxServer(const std::string& folder, const std::string& address) : folder_(folder), address_(address) {}

NginxServer::~NginxServer() { Stop(); }

std::string NginxServer::BaseUrl() const { return "http://" + address_ + ":" + std::to_string(port_) + "/"; }

bool NginxServer::Start() {
    if (process_.IsRunning()) return true;
    for (int attempt = 0; attempt < 5; ++attempt) {
        const std::uint16_t port = FreeTcpPort(address_);
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
    if (!process_.Start({program, "-p", prefix, "-c", prefix + "nginx.conf", "-e", prefix + "logs/error.log", "-g",
                         "daemon off;"},
                        address_, port))
        return false;
    port_ = port;
    return true;
}

void NginxServer::Stop() {
    process_.Stop();
    port_ = 0;
}
