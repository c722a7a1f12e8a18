#pragma once
// A D-Bus message bus of the test's own (dbus-daemon on a socket file in a temporary
// folder, so it is reachable from a private network namespace too) and mock services
// on it (python3-dbusmock templates, such as tests/support/firewalld-mock.py).
// Everything ends with the object.
#include <string>
#include <sys/types.h>
#include <vector>

#include "support/ScopedTempFolder.h"

struct _GVariant;

class PrivateDbus {
public:
    PrivateDbus() = default;
    ~PrivateDbus();
    PrivateDbus(const PrivateDbus&) = delete;
    PrivateDbus& operator=(const PrivateDbus&) = delete;

    // False when dbus-daemon is missing or did not report its address within 5 s.
    bool Start();
    const std::string& Address() const { return address_; }

    // Runs the template (a path) with its JSON parameters on the bus and waits at most
    // 10 s for it to own busName. False when python3-dbusmock is missing or the mock
    // did not come up.
    bool StartMock(const std::string& templatePath, const std::string& parametersJson, const std::string& busName);

    // Calls a method that answers one boolean (parameters: a floating GVariant tuple,
    // taken); false when the call failed or answered something else.
    bool CallForBool(const std::string& busName, const std::string& path, const std::string& interfaceName,
                     const std::string& method, _GVariant* parameters, bool& answer) const;

private:
    ScopedTempFolder folder_;
    std::string address_;
    pid_t daemon_ = -1;
    std::vector<pid_t> mocks_;
};
