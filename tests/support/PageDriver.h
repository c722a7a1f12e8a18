#pragma once
// The test's side of the page driver that the end-to-end tests preload into the real
// Launcher.exe (tests/support/page-driver): scripts run in the page the player sees,
// clicks on the page's own elements by id, their texts, and pictures of the page.
// Each request opens a connection of its own, so the driver follows a launcher that
// has restarted itself onto the same socket path. Every call is bounded.
#include <string>
#include <vector>

class PageDriver {
public:
    // The environment entries that load the driver into a launcher and name its socket.
    static std::vector<std::string> LauncherEnvironment(const std::string& agentPath, const std::string& socketPath);

    explicit PageDriver(std::string socketPath) : socketPath_(std::move(socketPath)) {}

    // Runs the script in the shown page; true with its value as text, false with the
    // reason in error().
    bool Eval(const std::string& script, std::string& value, int boundMs = 10000);
    // Waits until the script's value is "true"; false after boundMs.
    bool WaitUntil(const std::string& condition, int boundMs);
    // Waits for an element that is shown (laid out, not hidden by its style).
    bool WaitForShown(const std::string& id, int boundMs);
    // Waits for an element that is shown and not disabled: one a player can click.
    bool WaitForClickable(const std::string& id, int boundMs);
    // The element's click(), as the page's own handlers see a click, on the page's next
    // turn; false when it is missing.
    bool Click(const std::string& id);
    // Sets a form field's value and fires its input and change events.
    bool Fill(const std::string& id, const std::string& value);
    // The element's text as shown; "" when it is missing.
    std::string Text(const std::string& id);
    bool IsShown(const std::string& id);
    // Writes a PNG of the shown page.
    bool Snapshot(const std::string& path);
    // The addresses of the shown pages, the one the driver talks to first.
    std::vector<std::string> Views();

    // Why the last request failed; "" after one that was answered.
    const std::string& error() const { return error_; }

private:
    bool Request(const std::string& verb, const std::string& payload, std::string& answer, int boundMs);

    std::string socketPath_;
    std::string error_;
};

// A script text literal for the value (JSON string rules, which JavaScript shares).
std::string ScriptString(const std::string& text);
