#pragma once
// Stand-ins for what the start-up checks ask: the machine (mounts, writable folders,
// root, the web engine, the firewall service), the firewall itself, the dialogs a
// user would answer, and an elevated relaunch that only records its argv.
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "shell/EnvironmentProbe.h"
#include "shell/ProcessQuery.h"
#include "shell/StartupSteps.h"
#include "shell/firewall/FirewallDlg.h"
#include "support/ArgvRecord.h"
#include "support/ScopedTempFolder.h"

struct FakeFirewall final : IFirewall {
    bool enabled = true;
    bool queryWorks = true;
    bool authorized = false;
    bool authorizeWorks = true;
    int queries = 0;
    int authorizations = 0;

    bool IsAppAuthorized(const FirewallRule&, bool& out) override {
        ++queries;
        out = queryWorks && authorized;
        return queryWorks;
    }
    bool IsEnabled() override { return enabled; }
    bool Authorize(const FirewallRule&) override {
        ++authorizations;
        if (authorizeWorks) authorized = true;
        return authorizeWorks;
    }
};

struct FakeEnvironment final : IEnvironmentProbe {
    std::string mounts = "22 1 8:1 / / rw shared:1 - ext4 /dev/sda1 rw\n";
    std::set<std::string> unwritable;
    bool administrator = true;
    WebKitVersionNumber browser{2, 42};
    RefPtr<IFirewall> firewall;  // null: no firewall service
    int firewallsCreated = 0;

    std::string MountTable() override { return mounts; }
    bool CanCreateFileIn(const std::string& folder) override { return unwritable.count(folder) == 0; }
    bool IsAdministrator() override { return administrator; }
    WebKitVersionNumber BrowserVersion() override { return browser; }
    RefPtr<IFirewall> CreateFirewall() override {
        ++firewallsCreated;
        return firewall;
    }
};

// Answers the firewall dialogs in turn (kCancelled once the answers run out) and
// records their addresses; the main window is never shown here.
struct ScriptedSteps final : IStartupSteps {
    std::deque<int> answers;
    std::vector<std::string> dialogs;
    std::vector<std::u16string> locales;

    bool RegisterVfsProtocol(const WideString&, const WideString&, const ByteVector&) override { return true; }
    void UnregisterVfsProtocol() override {}
    int RunFirewallDialog(const std::string& address, const WideString& locale, const std::string&) override {
        dialogs.push_back(address);
        locales.push_back(locale.Std());
        if (answers.empty()) return FirewallDlg::kCancelled;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool RunMainWindow(AppParams&, const WideString&, const WideString&, WideString&) override { return false; }
};

struct FixedProcesses final : IProcessQuery {
    std::string OwnExecutablePath() override { return "/games/Brennic/bin/Launcher.exe"; }
    pid_t ParentProcessId() override { return 1; }
    std::string ProcessImagePath(pid_t) override { return std::string(); }
};

// pkexec and env on PATH are the argv recorder and a display exists, so an elevated
// relaunch starts the recorder, which writes its argv to the record file.
class RelaunchRecorder {
public:
    RelaunchRecorder() : savedPath_(std::getenv("PATH") ? std::getenv("PATH") : "") {
        for (const char* name : {"pkexec", "env"}) std::filesystem::copy_file(ARGV_RECORDER_PATH, folder_ / name);
        setenv("PATH", folder_.Path().c_str(), 1);
        setenv("DISPLAY", ":99", 1);
        Expect("relaunch");
    }
    ~RelaunchRecorder() {
        setenv("PATH", savedPath_.c_str(), 1);
        unsetenv("DISPLAY");
        unsetenv("ARGV_RECORDER_OUT");
    }

    // The next relaunch records under this name.
    void Expect(const std::string& name) {
        record_ = folder_ / (name + ".rec");
        setenv("ARGV_RECORDER_OUT", record_.c_str(), 1);
    }
    // The relaunched launcher's arguments after its path; empty when none started in time.
    std::vector<std::string> Arguments(int timeoutMs = 5000) const {
        ArgvRecord record;
        if (!WaitForArgvRecord(record_, timeoutMs, record) || record.argv.empty()) return {};
        std::vector<std::string> tail;
        bool own = false;
        for (const std::string& arg : record.argv) {
            if (own) tail.push_back(arg);
            own = own || arg == "/games/Brennic/bin/Launcher.exe";
        }
        return tail;
    }
    bool Started() const { return std::filesystem::exists(record_); }

private:
    ScopedTempFolder folder_;
    std::string savedPath_;
    std::string record_;
};
