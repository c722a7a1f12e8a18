#include "platform/firewall/FirewalldClient.h"

#include <gio/gio.h>

namespace {

constexpr char kMainPath[] = "/org/fedoraproject/FirewallD1";
constexpr char kMainInterface[] = "org.fedoraproject.FirewallD1";
constexpr char kZoneInterface[] = "org.fedoraproject.FirewallD1.zone";
constexpr char kConfigPath[] = "/org/fedoraproject/FirewallD1/config";
constexpr char kConfigInterface[] = "org.fedoraproject.FirewallD1.config";
constexpr char kConfigZoneInterface[] = "org.fedoraproject.FirewallD1.config.zone";
// firewalld's error text for a change that is already in place.
constexpr char kAlreadyEnabled[] = "ALREADY_ENABLED";

GDBusConnection* OpenConnection(const std::string& busAddress) {
    GError* error = nullptr;
    gchar* address = busAddress.empty() ? g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SYSTEM, nullptr, &error)
                                        : g_strdup(busAddress.c_str());
    GDBusConnection* connection = nullptr;
    if (address) {
        connection = g_dbus_connection_new_for_address_sync(
            address,
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, &error);
    }
    g_free(address);
    if (error) g_error_free(error);
    return connection;
}

void CloseConnection(GDBusConnection* connection) {
    g_dbus_connection_close_sync(connection, nullptr, nullptr);
    g_object_unref(connection);
}

bool NameHasOwner(GDBusConnection* connection, const char* name) {
    GVariant* reply = g_dbus_connection_call_sync(
        connection, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
        g_variant_new("(s)", name), G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NONE, FirewalldClient::kQueryTimeoutMs,
        nullptr, nullptr);
    if (!reply) return false;
    gboolean owned = FALSE;
    g_variant_get(reply, "(b)", &owned);
    g_variant_unref(reply);
    return owned;
}

}  // namespace

// A reply, or the error that took its place; owns whichever it holds.
struct FirewalldClient::Reply {
    GVariant* value = nullptr;
    bool alreadyEnabled = false;
    Reply() = default;
    Reply(Reply&& other) noexcept : value(other.value), alreadyEnabled(other.alreadyEnabled) { other.value = nullptr; }
    Reply& operator=(Reply&&) = delete;
    ~Reply() {
        if (value) g_variant_unref(value);
    }
    explicit operator bool() const { return value != nullptr; }
};

std::unique_ptr<FirewalldClient> FirewalldClient::Connect(const std::string& busAddress) {
    GDBusConnection* connection = OpenConnection(busAddress);
    if (!connection) return nullptr;
    if (!NameHasOwner(connection, kBusName)) {
        CloseConnection(connection);
        return nullptr;
    }
    return std::unique_ptr<FirewalldClient>(new FirewalldClient(connection));
}

FirewalldClient::~FirewalldClient() { CloseConnection(connection_); }

FirewalldClient::Reply FirewalldClient::Call(const char* path, const char* interfaceName, const char* method,
                                             GVariant* parameters, const char* replyType, bool change) {
    // A change may need the user's consent through polkit; a query never does.
    const GDBusCallFlags flags = change ? G_DBUS_CALL_FLAGS_ALLOW_INTERACTIVE_AUTHORIZATION : G_DBUS_CALL_FLAGS_NONE;
    GError* error = nullptr;
    Reply reply;
    reply.value = g_dbus_connection_call_sync(connection_, kBusName, path, interfaceName, method,
                                              parameters, G_VARIANT_TYPE(replyType), flags,
                                              change ? kChangeTimeoutMs : kQueryTimeoutMs, nullptr, &error);
    if (error) {
        g_dbus_error_strip_remote_error(error);
        lastError_ = std::string(method) + ": " + error->message;
        reply.alreadyEnabled = g_str_has_prefix(error->message, kAlreadyEnabled);
        g_error_free(error);
    }
    return reply;
}

bool FirewalldClient::GetState(std::string& state) {
    Reply reply = Call(kMainPath, "org.freedesktop.DBus.Properties", "Get",
                       g_variant_new("(ss)", kMainInterface, "state"), "(v)", false);
    if (!reply) return false;
    GVariant* value = nullptr;
    g_variant_get(reply.value, "(v)", &value);
    const bool isText = g_variant_is_of_type(value, G_VARIANT_TYPE_STRING);
    if (isText) state = g_variant_get_string(value, nullptr);
    else lastError_ = "state: not a string";
    g_variant_unref(value);
    return isText;
}

bool FirewalldClient::GetDefaultZone(std::string& zone) {
    Reply reply = Call(kMainPath, kMainInterface, "getDefaultZone", nullptr, "(s)", false);
    if (!reply) return false;
    const gchar* name = nullptr;
    g_variant_get(reply.value, "(&s)", &name);
    zone = name;
    return true;
}

bool FirewalldClient::QueryPort(const std::string& zone, const std::string& port, const std::string& protocol,
                                bool& open) {
    Reply reply = Call(kMainPath, kZoneInterface, "queryPort",
                       g_variant_new("(sss)", zone.c_str(), port.c_str(), protocol.c_str()), "(b)", false);
    if (!reply) return false;
    gboolean value = FALSE;
    g_variant_get(reply.value, "(b)", &value);
    open = value;
    return true;
}

bool FirewalldClient::AddRuntimePort(const std::string& zone, const std::string& port, const std::string& protocol) {
    // A timeout of 0 keeps the port open until firewalld reloads.
    Reply reply = Call(kMainPath, kZoneInterface, "addPort",
                       g_variant_new("(sssi)", zone.c_str(), port.c_str(), protocol.c_str(), 0), "(s)", true);
    return reply || reply.alreadyEnabled;
}

bool FirewalldClient::AddPermanentPort(const std::string& zone, const std::string& port,
                                       const std::string& protocol) {
    Reply found = Call(kConfigPath, kConfigInterface, "getZoneByName", g_variant_new("(s)", zone.c_str()), "(o)",
                       false);
    if (!found) return false;
    const gchar* zonePath = nullptr;
    g_variant_get(found.value, "(&o)", &zonePath);
    Reply reply = Call(zonePath, kConfigZoneInterface, "addPort", g_variant_new("(ss)", port.c_str(), protocol.c_str()),
                       "()", true);
    return reply || reply.alreadyEnabled;
}
