// The firewall step of the start-up checks: ask the firewall, ask the user, and
// relaunch elevated when only an administrator can go further.
#include "base/config/GlobalVar.h"
#include "shell/LauncherApp.h"
#include "shell/firewall/FirewallDlg.h"
#include "shell/resources/StringIds.h"
#include "shell/resources/StringTable.h"

namespace {

const char kFirewallPage[] = "vfs://Launcher/res/Firewall.htm";
const char kFirewallPostPage[] = "vfs://Launcher/res/FirewallPost.htm";

// The page's language, which the locale feature stores.
Global::WString localization("localization");

std::string Key(int id) { return String(LoadResString(id)).Std(); }

}  // namespace

bool LauncherApp::FirewallStepPasses(AppParams& params) {
    RefPtr<IFirewall> firewall = environment_.CreateFirewall();
    // Without a firewall service, or with one that filters nothing, nothing stands in the way.
    if (!firewall || !firewall->IsEnabled()) return true;
    return ConfigureFirewallOrElevate(*firewall, params);
}

FirewallOutcome LauncherApp::ConfigureFirewall(IFirewall& firewall, AppParams& params) {
    bool authorized = false;
    if (!firewall.IsAppAuthorized(params.firewallRule, authorized)) return FirewallOutcome::Failed;
    if (authorized) return FirewallOutcome::Admitted;
    if (!environment_.IsAdministrator()) return FirewallOutcome::NotAdministrator;
    // An empty entry in the string table admits the launcher without asking.
    if (!LoadResString(StringId::FirewallAsksFirst).IsEmpty() &&
        steps_.RunFirewallDialog(kFirewallPage, localization.GetWString(), Key(StringId::FirewallDialogPositionKey)) !=
            FirewallDlg::kAccepted) {
        return FirewallOutcome::Declined;
    }
    return firewall.Authorize(params.firewallRule) ? FirewallOutcome::Admitted : FirewallOutcome::Failed;
}

bool LauncherApp::ConfigureFirewallOrElevate(IFirewall& firewall, AppParams& params) {
    const FirewallOutcome outcome = ConfigureFirewall(firewall, params);
    if (outcome == FirewallOutcome::Admitted || outcome == FirewallOutcome::Declined) return true;
    if (!params.uac) {
        // This instance ends; the elevated one repeats the checks.
        RelaunchElevated(params.rip);
        return false;
    }
    return steps_.RunFirewallDialog(kFirewallPostPage, localization.GetWString(),
                                    Key(StringId::FirewallPostPositionKey)) == FirewallDlg::kAccepted;
}
