#include "shell/firewall/FirewalldFirewall.h"

#include "shell/html/HtmlScript.h"

namespace {

// The torrent session's listen ports, as firewalld writes a range.
constexpr char kListenPorts[] = "6968-6978";
constexpr const char* kProtocols[] = {"tcp", "udp"};

void LogFirewall(const std::string& line) { LogPageTraffic("firewall:", line); }

}  // namespace

bool FirewalldFirewall::IsAppAuthorized(const FirewallRule&, bool& authorized) {
    authorized = false;
    std::string zone;
    if (!client_->GetDefaultZone(zone)) {
        LogFirewall(client_->LastError());
        return false;
    }
    bool all = true;
    for (const char* protocol : kProtocols) {
        bool open = false;
        if (!client_->QueryPort(zone, kListenPorts, protocol, open)) {
            LogFirewall(client_->LastError());
            return false;
        }
        all = all && open;
    }
    authorized = all;
    return true;
}

bool FirewalldFirewall::IsEnabled() {
    std::string state;
    return client_->GetState(state) && state == "RUNNING";
}

bool FirewalldFirewall::Authorize(const FirewallRule&) {
    std::string zone;
    bool done = client_->GetDefaultZone(zone);
    // Run time first: the permanent configuration only takes effect at firewalld's next reload.
    for (const char* protocol : kProtocols) done = done && client_->AddRuntimePort(zone, kListenPorts, protocol);
    for (const char* protocol : kProtocols)
        done = done && client_->AddPermanentPort(zone, kListenPorts, protocol);
    if (!done) {
        LogFirewall("ports " + std::string(kListenPorts) + " not admitted: " + client_->LastError());
        return false;
    }
    LogFirewall("ports " + std::string(kListenPorts) + " (TCP and UDP) admitted in zone " + zone);
    return true;
}

RefPtr<IFirewall> CreateFirewall(const std::string& busAddress) {
    std::unique_ptr<FirewalldClient> client = FirewalldClient::Connect(busAddress);
    if (!client) {
        LogFirewall("firewalld does not run; peers reach the launcher on ports " + std::string(kListenPorts) +
                    " (TCP and UDP) when the system's firewall admits them");
        return RefPtr<IFirewall>();
    }
    return RefPtr<IFirewall>(new FirewalldFirewall(std::move(client)));
}
