// The firewall step's decisions: what the firewall says, whether the user is root,
// what the user answers in the two dialogs, whether the change works, and whether
// this is already the elevated relaunch; and what follows from each (go on or not,
// a relaunch, which pages were shown, whether the firewall was changed).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../StartupFakes.h"
#include "base/config/GlobalVar.h"
#include "shell/LauncherApp.h"

namespace {

constexpr int kAccept = FirewallDlg::kAccepted;
constexpr int kCancel = FirewallDlg::kCancelled;
constexpr int kNoWindow = -1;  // the dialog could not even be shown
const std::string kAsk = "vfs://Launcher/res/Firewall.htm";
const std::string kPost = "vfs://Launcher/res/FirewallPost.htm";

struct Row {
    const char* name;
    bool queryWorks, authorized, administrator;
    std::vector<int> answers;  // the dialogs' ends, in order
    bool authorizeWorks, uac;
    // Expected:
    bool goesOn, relaunches;
    std::vector<std::string> pages;
    int authorizations;
};

const Row kRows[] = {
    {"admitted already", true, true, true, {}, true, false, true, false, {}, 0},
    {"root accepts", true, false, true, {kAccept}, true, false, true, false, {kAsk}, 1},
    {"root declines", true, false, true, {kCancel}, true, false, true, false, {kAsk}, 0},
    {"no window is no consent", true, false, true, {kNoWindow}, true, false, true, false, {kAsk}, 0},
    {"change fails, relaunch", true, false, true, {kAccept}, false, false, false, true, {kAsk}, 1},
    {"change fails elevated, go on", true, false, true, {kAccept, kAccept}, false, true, true, false, {kAsk, kPost}, 1},
    {"change fails elevated, exit", true, false, true, {kAccept, kCancel}, false, true, false, false, {kAsk, kPost}, 1},
    {"not root, relaunch", true, false, false, {}, true, false, false, true, {}, 0},
    {"not root elevated, go on", true, false, false, {kAccept}, true, true, true, false, {kPost}, 0},
    {"query fails, relaunch", false, false, true, {}, true, false, false, true, {}, 0},
    {"query fails elevated, exit", false, false, true, {kCancel}, true, true, false, false, {kPost}, 0},
};

TEST(FirewallStep, DecisionTable) {
    Global::WString localization("localization");
    localization.SetWString(WideString(u"en"));
    RelaunchRecorder relaunch;
    int row = 0;
    for (const Row& r : kRows) {
        relaunch.Expect("row" + std::to_string(row++));
        FakeEnvironment environment;
        environment.administrator = r.administrator;
        ScriptedSteps steps;
        steps.answers.assign(r.answers.begin(), r.answers.end());
        FixedProcesses processes;
        LauncherApp app(steps, processes, environment);
        RefPtr<AppParams> params(new AppParams);
        params->uac = r.uac;
        RefPtr<FakeFirewall> firewall(new FakeFirewall);
        firewall->queryWorks = r.queryWorks;
        firewall->authorized = r.authorized;
        firewall->authorizeWorks = r.authorizeWorks;

        EXPECT_EQ(app.ConfigureFirewallOrElevate(*firewall, *params), r.goesOn) << r.name;
        EXPECT_EQ(steps.dialogs, r.pages) << r.name;
        EXPECT_EQ(firewall->authorizations, r.authorizations) << r.name;
        for (const std::u16string& locale : steps.locales) EXPECT_EQ(locale, u"en") << r.name;
        if (r.relaunches) EXPECT_EQ(relaunch.Arguments(), std::vector<std::string>{"-UAC"}) << r.name;
        else EXPECT_FALSE(relaunch.Started()) << r.name;
    }
}

TEST(FirewallStep, OutcomesNameWhatHappened) {
    FakeEnvironment environment;
    ScriptedSteps steps;
    FixedProcesses processes;
    LauncherApp app(steps, processes, environment);
    RefPtr<AppParams> params(new AppParams);
    RefPtr<FakeFirewall> firewall(new FakeFirewall);

    steps.answers = {kCancel};
    EXPECT_EQ(app.ConfigureFirewall(*firewall, *params), FirewallOutcome::Declined);
    steps.answers = {kAccept};
    EXPECT_EQ(app.ConfigureFirewall(*firewall, *params), FirewallOutcome::Admitted);
    EXPECT_EQ(app.ConfigureFirewall(*firewall, *params), FirewallOutcome::Admitted);  // asked, not changed again
    EXPECT_EQ(firewall->authorizations, 1);
    environment.administrator = false;
    firewall->authorized = false;
    EXPECT_EQ(app.ConfigureFirewall(*firewall, *params), FirewallOutcome::NotAdministrator);
    firewall->queryWorks = false;
    EXPECT_EQ(app.ConfigureFirewall(*firewall, *params), FirewallOutcome::Failed);
}

}  // namespace
