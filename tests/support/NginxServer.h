#pragma once
// A real nginx serving a folder on a loopback port, started by the test without root
// rights: its prefix, configuration, pid file, logs and temporary folders live in a
// temporary folder of its own. Static files come with keep-alive and byte ranges, so it
// serves as an update server and as a web seed. The server ends with the object.
#include <cstdint>
#include <string>

#include "support/ListeningProgram.h"
#include "support/TempDir.h"

class NginxServer {
public:
    // The nginx program (on PATH, else /usr/sbin/nginx); "" when it is not installed.
    // Tests skip through SKIP_UNLESS_REQUIRED when it is empty.
    static std::string Executable();

    // Serves folder (an absolute path) on address once started.
    explicit NginxServer(const std::string& folder, const std::string& address = "127.0.0.1");
    ~NginxServer();
    NginxServer(const NginxServer&) = delete;
    NginxServer& operator=(const NginxServer&) = delete;

    // Starts nginx on a free port and waits until it accepts connections (at most 10 s);
    // false when it could not be started or did not answer. Then ErrorLog() tells why.
    bool Start();
    void Stop();

    const std::string& Address() const { return address_; }
    std::uint16_t Port() const { return port_; }
    // "http://ADDRESS:PORT/".
    std::string BaseUrl() const;

    std::string AccessLog() const { return prefix_.ReadFile("logs/access.log"); }
    std::string ErrorLog() const { return prefix_.ReadFile("logs/error.log"); }

private:
    bool StartOnPort(std::uint16_t port);

    std::string folder_;
    std::string address_;
    std::uint16_t port_ = 0;
    TempDir prefix_;
    ListeningProgram process_;
};
