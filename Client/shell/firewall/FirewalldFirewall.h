#pragma once
// The firewall as firewalld runs it. Netfilter cannot tell which program an incoming
// packet is for, so no rule can name the launcher's executable: the launcher counts
// as admitted when its listen ports are open, for TCP and UDP, in the default zone,
// and admitting it opens them there, at run time and in the permanent configuration.
#include <memory>
#include <string>

#include "platform/firewall/FirewalldClient.h"
#include "shell/firewall/IFirewall.h"

class FirewalldFirewall final : public IFirewall {
public:
    explicit FirewalldFirewall(std::unique_ptr<FirewalldClient> client) : client_(std::move(client)) {}

    bool IsAppAuthorized(const FirewallRule& rule, bool& authorized) override;
    // firewalld filters once it is running; while it starts up or after it failed it
    // has no rules to ask about.
    bool IsEnabled() override;
    bool Authorize(const FirewallRule& rule) override;

private:
    ~FirewalldFirewall() override = default;

    std::unique_ptr<FirewalldClient> client_;
};

// firewalld on the bus at busAddress ("" is the system bus), or null when it does not
// run there; then a log line names the ports the system's firewall must admit.
RefPtr<IFirewall> CreateFirewall(const std::string& busAddress = "");
