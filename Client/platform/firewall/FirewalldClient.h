#pragma once
// firewalld's D-Bus interface, as far as the launcher uses it: the daemon's state, the
// default zone, and the ports of a zone at run time and in the permanent
// configuration. Calls are synchronous and bounded; the daemon's polkit rules may ask
// the user for a password while a change waits.
#include <memory>
#include <string>

struct _GDBusConnection;
struct _GVariant;

class FirewalldClient {
public:
    static constexpr char kBusName[] = "org.fedoraproject.FirewallD1";
    static constexpr int kQueryTimeoutMs = 5000;
    // Long enough for the user to answer a password prompt.
    static constexpr int kChangeTimeoutMs = 120000;

    // Connects to the bus at address, or to the system bus for "" (which honours
    // $DBUS_SYSTEM_BUS_ADDRESS). Null when no connection can be made or nobody owns
    // firewalld's name there.
    static std::unique_ptr<FirewalldClient> Connect(const std::string& busAddress = "");
    ~FirewalldClient();
    FirewalldClient(const FirewalldClient&) = delete;
    FirewalldClient& operator=(const FirewalldClient&) = delete;

    // Each call is false when the call failed or the reply was not of the documented
    // type; LastError() then says why.
    bool GetState(std::string& state);
    bool GetDefaultZone(std::string& zone);
    // port is a number or a range "FIRST-LAST"; protocol "tcp" or "udp".
    bool QueryPort(const std::string& zone, const std::string& port, const std::string& protocol, bool& open);
    // A port that is already open counts as added.
    bool AddRuntimePort(const std::string& zone, const std::string& port, const std::string& protocol);
    bool AddPermanentPort(const std::string& zone, const std::string& port, const std::string& protocol);

    const std::string& LastError() const { return lastError_; }

private:
    explicit FirewalldClient(_GDBusConnection* connection) : connection_(connection) {}

    struct Reply;
    Reply Call(const char* path, const char* interfaceName, const char* method, _GVariant* parameters,
               const char* replyType, bool change);

    _GDBusConnection* connection_;
    std::string lastError_;
};
