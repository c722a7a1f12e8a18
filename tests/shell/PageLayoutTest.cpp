// The launcher's real page in the real WebKitGTK at the window's fixed size, brought
// into each state a player meets by the events the launcher sends (starting, an
// update being fetched, ready to play, a check with damaged files, errors, the
// preferences, the next update fetched in advance, the progressive edition's checks
// beside the game hub, the reinstall and its question, the firewall's ports), in Russian
// and English. Where the page must ask for a step first, the test clicks what the player
// clicks and answers the commands it waits for with that step's events. In every state
// the page's regions stay inside the window and apart, every visible control can be
// clicked where it is drawn, and no text is cut off; each state shows its own parts with
// their tones, and the road's network error offers to try again. A screenshot of the
// window in each state is saved under the build folder's "screenshots". Skipped when no
// display can be had.
#include <gtest/gtest.h>


#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <glib.h>

#include "base/runtime/Timer.h"
#include "platform/glib/GlibTimerHost.h"
#include "platform/gtk/GtkToolkit.h"
#include "shell/LauncherOnDisplay.h"
#include "shell/SourcePage.h"
#include "support/PrivateXvfb.h"
#include "support/RequiredEnvironment.h"

namespace {

constexpr int kStateBoundMs = 20000;
constexpr int kWindowWidth = 748;
constexpr int kWindowHeight = 589;
constexpr int kCheckReport = 4242;

// Answers "Test.Check" (state name, an optional "click:ID" done first, the selectors
// that must each match a visible element) with command 4242 and the problems found,
// one a line; an empty report is a page in order.
constexpr char kCheckScript[] = R"JS(
(function () {
    var W = 748, H = 589;
    function visible(el) {
        if (el.closest("[hidden]")) return false;
        var r = el.getBoundingClientRect();
        return r.width > 0 && r.height > 0 && getComputedStyle(el).visibility !== "hidden";
    }
    function name(el) {
        return el.id ? "#" + el.id : el.tagName.toLowerCase() + "[" + (el.getAttribute("data-text") || el.className) + "]";
    }
    function inside(r, box) {
        return r.left >= box.left - 0.5 && r.top >= box.top - 0.5 && r.right <= box.right + 0.5 && r.bottom <= box.bottom + 0.5;
    }
    function overlap(a, b) {
        return a.left < b.right - 0.5 && b.left < a.right - 0.5 && a.top < b.bottom - 0.5 && b.top < a.bottom - 0.5;
    }
    function check() {
        var problems = [];
        var windowBox = { left: 0, top: 0, right: W, bottom: H };
        var regions = ["frame", "header", "content", "game", "footer"].map(function (id) { return document.getElementById(id); });
        regions.forEach(function (region, i) {
            var r = region.getBoundingClientRect();
            if (!inside(r, windowBox)) problems.push(name(region) + " leaves the window");
            // The parts of a region keep apart and inside it.
            var parts = Array.prototype.filter.call(region.children, visible);
            parts.forEach(function (part, j) {
                var p = part.getBoundingClientRect();
                if (!inside(p, r)) problems.push(name(part) + " leaves " + name(region));
                parts.slice(j + 1).forEach(function (other) {
                    if (overlap(p, other.getBoundingClientRect())) problems.push(name(part) + " overlaps " + name(other));
                });
            });
            regions.slice(i + 1).forEach(function (other) {
                if (overlap(r, other.getBoundingClientRect())) problems.push(name(region) + " overlaps " + name(other));
            });
        });
        var prefsOpen = !document.getElementById("prefsPanel").hidden;
        // A question over the window leaves only itself and the title strip to click.
        var overlay = document.querySelector(".overlay:not([hidden])");
        var activity = document.getElementById("activity").getBoundingClientRect();
        var panels = Array.prototype.filter.call(document.querySelectorAll("#activity > section"), visible);
        panels.forEach(function (panel, i) {
            panels.slice(i + 1).forEach(function (other) {
                if (overlap(panel.getBoundingClientRect(), other.getBoundingClientRect()))
                    problems.push(name(panel) + " overlaps " + name(other));
            });
        });
        document.querySelectorAll("button, input, select, a[href]").forEach(function (control) {
            if (!visible(control)) return;
            if (prefsOpen && !control.closest("#prefsPanel, #frame, #footer")) return;
            if (overlay && !overlay.contains(control) && !control.closest("#frame")) return;
            var r = control.getBoundingClientRect();
            // A control in the scrolled column counts where the column shows it.
            if (control.closest("#activity") && !inside(r, activity)) return;
            if (!inside(r, windowBox)) { problems.push(name(control) + " leaves the window"); return; }
            var hit = document.elementFromPoint(r.left + r.width / 2, r.top + r.height / 2);
            if (!hit || (hit !== control && !control.contains(hit) && hit.closest("label") !== control.closest("label")))
                problems.push(name(control) + " is covered by " + (hit ? name(hit) : "nothing"));
        });
        document.querySelectorAll("[data-text], button, label, dd, dt, li").forEach(function (el) {
            if (!visible(el) || !el.textContent) return;
            var style = getComputedStyle(el);
            if (style.display === "inline" || el.tagName === "OPTION") return;
            if (el.scrollWidth > el.clientWidth + 1 && style.overflowX !== "auto" && style.textOverflow !== "ellipsis")
                problems.push(name(el) + " cuts its text: " + el.scrollWidth + " > " + el.clientWidth);
        });
        return problems;
    }
    App.module("Test", {
        Click: function (id) { document.getElementById(id).click(); },
        Check: function (state, action, expected) {
            if (action && action.indexOf("click:") === 0) document.getElementById(action.slice(6)).click();
            // Two frames: the page has laid out what the events changed.
            requestAnimationFrame(function () { requestAnimationFrame(function () {
                var problems = check();
                // "!SELECTOR": nothing it finds may be shown.
                (expected || "").split(" ").filter(Boolean).forEach(function (selector) {
                    var absent = selector.charAt(0) === "!";
                    var match = Array.prototype.filter.call(document.querySelectorAll(absent ? selector.slice(1) : selector),
                                                            visible);
                    if (!absent && !match.length) problems.push(selector + " is not shown");
                    if (absent && match.length) problems.push(selector.slice(1) + " is shown");
                });
                App.send(4242, problems.join("\n"));
            }); });
        }
    });
})();
)JS";

using PageEvent = std::vector<std::u16string>;

// The events that answer a command of the page (with that argument, unless it is empty).
struct Reply {
    int command = 0;
    std::u16string argument;
    std::vector<PageEvent> events;
};

struct PageState {
    std::string name;
    std::u16string locale;
    std::vector<PageEvent> events;
    std::u16string action;
    // Selectors of what the state must show ("!SELECTOR": what it must not show).
    std::u16string expected;
    // A command the page must have sent.
    int command = 0;
    // Entries added to both text tables, as a table's later part adds them.
    std::string options{};
    // The commands the page must send after the events, in this order, and their
    // answers; the state is checked once the last one is answered.
    std::vector<Reply> replies{};
    // A command the page must not have sent.
    int unsent = 0;
};

// The saved settings, future updates downloaded in advance or not.
PageEvent PrefsLoad(bool futureUpdates = true) {
    PageEvent event = {u"Prefs.OnLoad"};
    for (const char16_t* value : {u"1", u"1", u"1", u"1", u"0", u"0", u"6", u"6", u"2", u"2", u"1024", u"1024", u"1",
                                  u"1", u"0", u"0", u"200", u"200", u"800x600", u"1024x768", u"1280x800"})
        event.push_back(value);
    event[13] = futureUpdates ? u"1" : u"0";
    return event;
}

// Clicks the page's element with that id, as the player does, where it stands among the events.
PageEvent Click(const std::u16string& id) { return {u"Test.Click", id}; }

const PageEvent kCurrent = {u"Patching.OnRequest", u"1.0.2"};
const PageEvent kUpToDate = {u"Patching.OnResponse", u"false"};

// The next version announced; the player's settings (PrefsLoad) download it in advance,
// which starts once the game runs.
void AddFutureStates(std::vector<PageState>& states, const std::string& suffix, const std::u16string& locale) {
    const PageEvent onOffer = {u"Patching.OnResponse", u"true"};
    const std::vector<PageEvent> playing = {kCurrent, onOffer, {u"Game.OnEpayCheck", u"0"}, {u"Game.OnRun"}};
    const Reply asked = {31, u"", {{u"Global.OnFutureUpdateState"}, {u"Patching.OnRequest", u"1.0.2"},
                                   {u"Patching.OnAnswer", u"false", u"1.0.3"}}};
    const std::vector<PageEvent> downloading = {
        {u"Patching.OnDownloadStart"},
        {u"Downloader.OnProgress", u"38", u"39845888", u"104857600", u"20480", u"0", u"0"},
        {u"Downloader.OnPeersInfo", u"127.0.0.2:6881", u"39845888", u"20480", u"0", u"0"}};
    std::vector<PageEvent> downloaded = downloading;
    downloaded.push_back({u"Downloader.OnProgress", u"100", u"104857600", u"104857600", u"0", u"0", u"0"});
    downloaded.push_back({u"Patching.OnDownloadComplete"});
    states.push_back({"future-offered" + suffix, locale, {kCurrent, onOffer}, u"",
                      u"#future.ok #futureState[data-text='future.offered.on'] #patching.ok"});
    // Not wanted: the offer says where to turn it on, and the game's start fetches nothing.
    states.push_back({"future-not-wanted" + suffix, locale,
                      {PrefsLoad(false), kCurrent, onOffer, {u"Game.OnEpayCheck", u"0"}, {u"Game.OnRun"}}, u"",
                      u"#future.ok #futureState[data-text='future.offered.off'] #gameStart.ok", 0, "", {}, 31});
    states.push_back({"future-downloading" + suffix, locale, playing, u"",
                      u"#future.busy #futureState[data-text='future.downloading'] #download.busy #gameStart.ok "
                      u"#patchingStatus[data-text='patching.future']",
                      0, "", {asked, {300, u"", downloading}}});
    // Fetched in advance, it is not for installing now.
    states.push_back({"future-ready" + suffix, locale, playing, u"",
                      u"#future.ok #futureState[data-text='future.ready'] #download.ok !#patchInstall",
                      0, "", {asked, {300, u"", downloaded}}});
}

// The progressive edition: the game hub downloads the game, and the file check and the
// repair keep out of its way.
void AddProgressiveStates(std::vector<PageState>& states, const std::string& suffix, const std::u16string& locale) {
    const std::string progressive = R"({"option.progressive": "true"})";
    const PageEvent clickCheck = Click(u"fullCheckRun");
    const PageEvent damaged = {u"FullCheck.OnComplete", u"bin/README", u"4096", u"5", u"0"};
    const std::vector<PageEvent> hubFinished = {kCurrent, kUpToDate, {u"Game.OnEpayCheck", u"0"},
                                                {u"Game.OnDownloadingFinished"}, clickCheck};
    // The road downloads patches itself, and no game step takes the road's place; once
    // the download has a speed, the hub keeps its share of the line (12).
    states.push_back({"progressive-updating" + suffix, locale,
                      {{u"Patching.OnRequest", u"1.0.0"}, {u"Patching.OnAnswer", u"false", u"1.0.1"}}, u"",
                      u"#download.busy.current !#hub", 0, progressive,
                      {{300, u"", {{u"Patching.OnDownloadStart"},
                                   {u"Downloader.OnProgress", u"0", u"0", u"10485760", u"0", u"0", u"0"},
                                   {u"Downloader.OnProgress", u"12", u"1258291", u"10485760", u"524288", u"0", u"0"}}},
                       {12, u"true", {}}}});
    // While the hub is at work, only what the game needs is checked (502).
    states.push_back({"progressive-minimum-check" + suffix, locale,
                      {kCurrent, kUpToDate, {u"Game.OnEpayCheck", u"0"}, {u"Game.OnDownloading", u"40", u"0"}, clickCheck},
                      u"",
                      u"#fullCheck.busy.current #fullCheckResult[data-text='fullcheck.running.minimum'] "
                      u"#hubState[data-text='hub.checking']",
                      0, progressive, {{502, u"", {{u"FullCheck.OnStart"}, {u"FullCheck.OnProgress", u"35"}}}}});
    // The hub has it all: every file is checked (501), the hub waits for the repair.
    states.push_back({"progressive-full-check" + suffix, locale, hubFinished, u"",
                      u"#fullCheck.warning #damagedFiles #repairRun #hubState[data-text='hub.checking']", 0, progressive,
                      {{501, u"", {{u"FullCheck.OnStart"}, {u"FullCheck.OnProgress", u"100"}, damaged}}}});
    // The repair is over: a new game step links to the hub, whose download resumes.
    states.push_back(
        {"progressive-resumed" + suffix, locale, hubFinished, u"",
         u"#repair.ok #hub.busy #hubState[data-text='hub.downloading'] #fullCheckRun:enabled", 0, progressive,
         {{501, u"", {{u"FullCheck.OnStart"}, {u"FullCheck.OnProgress", u"100"}, damaged, Click(u"repairRun")}},
          {60, u"", {{u"Repair.OnRequest"}, {u"Repair.OnAnswer"}}},
          {600, u"", {{u"Repair.OnDownloadStart"},
                      {u"Downloader.OnProgress", u"100", u"4096", u"4096", u"0", u"0", u"0"},
                      {u"Repair.OnDownloadComplete"}}},
          {6000, u"", {{u"Repair.OnApply"}, {u"Repair.OnProgress", u"100"},
                       {u"Repair.OnSuccess", u"bin/README", u"4096", u"0", u"0"}}},
          {70, u"", {{u"Game.OnEpayCheck", u"0"}}},
          {77, u"", {{u"Game.OnDownloading", u"12", u"0"}}}}});
}

std::vector<PageState> States() {
    const PageEvent asking = {u"Patching.OnRequest", u"1.0.0"};
    const PageEvent current = {u"Patching.OnRequest", u"1.0.2"};
    const PageEvent upToDate = {u"Patching.OnResponse", u"false"};
    const std::vector<PageEvent> fetching = {
        asking,
        {u"Patching.OnAnswer", u"false", u"1.0.1", u"1.0.2"},
        {u"Patching.OnDownloadStart"},
        {u"Downloader.OnProgress", u"45", u"47185920", u"104857600", u"1572864", u"65536", u"1048576"},
        {u"Downloader.OnPeersInfo", u"127.0.0.2:6881", u"31457280", u"1048576", u"0", u"0", u"web seed", u"15728640",
         u"524288", u"0", u"0"}};
    const std::vector<PageEvent> ready = {current, upToDate, {u"Launcher.SetLogin", u"player7"}, {u"FastCheck.OnSuccess"}};
    const std::vector<PageEvent> damaged = {current, upToDate, {u"FullCheck.OnStart"}, {u"FullCheck.OnProgress", u"100"},
                                        {u"FullCheck.OnComplete", u"data/world.map", u"3", u"3", u"0",
                                         u"data/textures.pak", u"4096", u"4", u"1", u"Profiles/Launcher.cfg", u"52",
                                         u"5", u"2"}};
    const std::vector<PageEvent> failed = {asking, {u"Patching.OnServerError", u"8"}, {u"Game.OnStartError", u"-2"}};
    // Everything at once, with long lists: the column scrolls, the latest news in view.
    PageEvent chain = {u"Patching.OnAnswer", u"false"};
    for (int minor = 1; minor <= 12; ++minor) chain.push_back(u"1.0." + std::u16string(1, u'0' + minor % 10) + u"-rc");
    PageEvent files = {u"FullCheck.OnComplete"};
    for (int i = 0; i < 30; ++i)
        for (const char16_t* field : {u"data/Packs/textures/very/long/folder/name/of/the/pack.pak", u"1", u"5", u"0"})
            files.push_back(field);
    const std::vector<PageEvent> crowded = {asking, chain, {u"Game.OnEpayCheck"}, {u"FullCheck.OnStart"}, files,
                                            {u"FastCheck.OnFail"}, {u"Game.OnStartError", u"-1"}};
    std::vector<PageState> states = {
        {"crowded-ru", u"ru", crowded, u"", u"#gameStart.current.error #fullCheck.warning"},
        // The hub's reports, ten a second, leave the check the player started in front.
        {"hub-and-check-ru", u"ru",
         {current, upToDate, {u"Game.OnDownloading", u"40", u"0"}, {u"FullCheck.OnStart"},
          {u"FullCheck.OnProgress", u"10"}, {u"Game.OnDownloading", u"41", u"0"}, {u"Game.OnDownloading", u"42", u"0"}},
         u"", u"#fullCheck.current #hub.busy"},
        // The display has no usable mode: the panel says so and what to do, in its longer language.
        {"preferences-error-ru", u"ru", {current, upToDate, {u"Prefs.OnError"}}, u"click:prefsOpen", u"#prefsStatus.error"}};
    const PageEvent tooOld = {u"Patching.OnAnswer", u"true", u"1.0.2"};
    const PageEvent systemCrash = {u"FullCheck.OnSystemCrash", u"bin/Launcher.exe", u"918432", u"5", u"0",
                                   u"bin/libwebkit-helper.so", u"40960", u"4", u"1"};
    const PageEvent launcherDamaged = {u"FullCheck.OnComplete", u"bin/Launcher.exe", u"918432", u"5", u"0"};
    const PageEvent locked = {u"Repair.OnLockedFile", u"../Patches/Rip/data/Packs/world.pak", u"../data/Packs/world.pak"};
    const std::vector<Reply> launcherDownload = {
        {2700, u"", {{u"LauncherDownload.OnStartTorrentDownload"}, {u"LauncherDownload.OnFinishTorrentDownload"}}},
        {2701, u"", {{u"LauncherDownload.OnStartFilesDownload"},
                     {u"Downloader.OnProgress", u"30", u"15728640", u"52428800", u"2097152", u"0", u"0"},
                     {u"Downloader.OnPeersInfo", u"127.0.0.2:6881", u"15728640", u"2097152", u"0", u"0"}}}};
    for (const char16_t* locale : {u"ru", u"en"}) {
        const std::string suffix = locale == std::u16string(u"ru") ? "-ru" : "-en";
        // Where only a reinstall helps, the panel offers it; it asks once, then the
        // download panel shows the launcher it downloads for it.
        states.push_back({"reinstall-tooold" + suffix, locale, {asking, tooOld}, u"", u"#patching.error #roadReinstall"});
        states.push_back({"reinstall-question" + suffix, locale, {asking, tooOld}, u"click:roadReinstall",
                          u"#reinstallConfirm #reinstallYes #reinstallNo"});
        states.push_back({"reinstall-downloading" + suffix, locale,
                          {asking, tooOld, Click(u"roadReinstall"), Click(u"reinstallYes")}, u"",
                          u"#download.busy #downloadPeerTable", 2701, "", launcherDownload});
        states.push_back({"systemcrash" + suffix, locale, {current, upToDate, {u"FullCheck.OnStart"}, systemCrash}, u"",
                          u"#fullCheck.error #fullCheckReinstall #fullCheckExit #damagedFiles"});
        // The repair finds a damaged file of the launcher itself among the ones to fetch.
        states.push_back({"launcher-repair" + suffix, locale,
                          {current, upToDate, {u"FullCheck.OnStart"}, launcherDamaged, Click(u"repairRun")}, u"",
                          u"#repair.error #repairReinstall", 600, "",
                          {{60, u"", {{u"Repair.OnRequest"}, {u"Repair.OnAnswer"}}},
                           {600, u"", {{u"Repair.OnLauncherRepair"}}}}});
        states.push_back({"repair-locked" + suffix, locale,
                          {current, upToDate, {u"FullCheck.OnStart"}, launcherDamaged, {u"Repair.OnApply"},
                           {u"Repair.OnProgress", u"40"}, locked},
                          u"", u"#repairLocked #repairRetry #repairSkip #repairAbort"});
        states.push_back({"firewall-missing" + suffix, locale,
                          {current, upToDate, {u"Launcher.OnFirewallSettingsMissing", u"6968", u"6978"}}, u"",
                          u"#firewall.warning.current #firewallPorts"});
        states.push_back({"full-background" + suffix, locale,
                          {{u"App.SetDemoState", u"2"}, {u"App.SetDownloadFullState", u"1"}, current, upToDate}, u"",
                          u"#fullVersion #fullVersionBackground"});
        states.push_back({"starting" + suffix, locale, {asking}, u"", u"#patching.busy #installedVersion"});
        states.push_back({"updating" + suffix, locale, fetching, u"", u"#patchChain #announcedVersion #download.busy.current #downloadPeerTable"});
        std::vector<PageEvent> downloaded = fetching;
        downloaded.push_back({u"Downloader.OnProgress", u"100", u"104857600", u"104857600", u"0", u"0", u"1048576"});
        downloaded.push_back({u"Patching.OnDownloadComplete"});
        // The downloaded update's Install stands beside Play, as the main action.
        states.push_back({"install-due" + suffix, locale, downloaded, u"", u"#primaryActions>#patchInstall.primary"});
        states.push_back({"checking" + suffix, locale,
                          {current, upToDate, {u"FullCheck.OnStart"}, {u"FullCheck.OnProgress", u"62"}}, u"",
                          u"#fullCheck.busy.current #fullCheckProgress #patching.ok"});
        states.push_back({"damaged" + suffix, locale, damaged, u"", u"#fullCheck.warning #damagedFiles"});
        states.push_back({"ready" + suffix, locale, ready, u"", u"#fastCheck.ok #gameLogin #gamePlay:enabled"});
        // The road's network error offers to try it again.
        states.push_back({"error" + suffix, locale, failed, u"", u"#patching.error #roadRetry #gameStart.error"});
        states.push_back({"preferences" + suffix, locale, {current, upToDate}, u"click:prefsOpen", u"#prefsPanel"});
        AddFutureStates(states, suffix, locale);
        AddProgressiveStates(states, suffix, locale);
    }
    return states;
}

WideString Wide(const std::u16string& text) { return WideString(text.data(), text.data() + text.size()); }

void Send(PageDialog& dialog, const PageEvent& event) {
    WideStringVector arguments;
    for (std::size_t i = 1; i < event.size(); ++i) arguments.PushBack(Wide(event[i]));
    dialog.View().SendEventArgs(Wide(event[0]), arguments);
}

struct Shot {
    PageDialog* dialog;
    Display* display;
    std::string path;
    bool saved = false;
};

}  // namespace

TEST(PageLayout, EveryStateFitsTheWindowWithNothingCoveredOrCutInBothLanguages) {
    PrivateXvfb xvfb;
    if (!xvfb.Start()) SKIP_UNLESS_REQUIRED("no Xvfb");
    PageEnvironment environment(xvfb.Display());
    if (!environment.Toolkit()) SKIP_UNLESS_REQUIRED("GTK cannot open the display");
    Display* display = XOpenDisplay(xvfb.Display().c_str());
    if (!display) SKIP_UNLESS_REQUIRED("cannot open " + xvfb.Display());
    GtkToolkit* toolkit = environment.Toolkit();
    auto files = std::make_shared<SourceResources>();
    // The real page with the state's table entries and the check script after its own.
    std::string page = ReadAll(files->root + "/Launcher/res/launcher.htm");
    const std::size_t head = page.find("</head>");
    ASSERT_NE(head, std::string::npos);
    page.insert(head, "<script src=\"vfs://Test/options.js\"></script>\n<script src=\"vfs://Test/check.js\"></script>\n");
    files->inlinePages["Launcher/res/launcher.htm"] = page;
    files->inlinePages["Test/check.js"] = kCheckScript;
    ASSERT_TRUE(toolkit->RegisterUriScheme("vfs", files));
    GlibTimerHost timers(&Timer::TimerProc);
    const std::string folder = LAUNCHER_BUILD_DIR "/screenshots";
    std::filesystem::create_directories(folder);

    for (const PageState& state : States()) {
        SCOPED_TRACE(state.name);
        files->inlinePages["Test/options.js"] =
            state.options.empty() ? "" : "Texts.define(\"ru\", " + state.options + ");\nTexts.define(\"en\", " + state.options + ");\n";
        PageDialog dialog(*toolkit, &timers, "vfs://Launcher/res/launcher.htm", "");
        Shot shot{&dialog, display, folder + "/" + state.name + ".png"};
        std::u16string problems = u"(no report)";
        std::size_t answered = 0;
        const auto check = [&](PageDialog& d) {
            Send(d, {u"Test.Check", std::u16string(state.name.begin(), state.name.end()), state.action, state.expected});
        };
        dialog.onCommand = [&](PageDialog& d, int code, const WideString& argument) {
            if (code == 10) Send(d, {u"Locale.OnLoad", state.locale});
            if (code == 20) {
                // The page asks for the preferences once its language is in place.
                Send(d, PrefsLoad());
                // The road's first two steps pass, as at every start.
                for (const char16_t* name : {u"InitialCheck.OnReadyToUpdate", u"CheckAttributes.OnStartChecking",
                                             u"CheckAttributes.OnSuccessChecking"})
                    Send(d, {name});
                for (const PageEvent& event : state.events) Send(d, event);
                if (state.replies.empty()) check(d);
            }
            if (answered < state.replies.size() && code == state.replies[answered].command &&
                (state.replies[answered].argument.empty() || argument.Std() == state.replies[answered].argument)) {
                for (const PageEvent& event : state.replies[answered].events) Send(d, event);
                if (++answered == state.replies.size()) check(d);
            }
            if (code == kCheckReport) {
                problems = argument.Std();
                // The web process paints on its own time, after the page changed.
                g_timeout_add(700, [](gpointer data) {
                    Shot& s = *static_cast<Shot*>(data);
                    int x = 0, y = 0;
                    if (FindWindowOfWidth(s.display, kWindowWidth, x, y, kWindowHeight))
                        s.saved = SaveScreenPng(s.display, s.path, x, y, kWindowWidth, kWindowHeight);
                    s.dialog->EndDialog(2);
                    return G_SOURCE_REMOVE;
                }, &shot);
            }
        };
        EXPECT_EQ(RunBounded(dialog, kStateBoundMs), 2);
        if (answered < state.replies.size()) {
            std::string sent;
            for (const auto& [code, argument] : dialog.commands) sent += " " + std::to_string(code);
            ADD_FAILURE() << "the page did not send " << state.replies[answered].command << "; it sent" << sent;
        }
        EXPECT_EQ(String(Wide(problems)).Std(), "");
        EXPECT_TRUE(shot.saved);
        if (state.unsent)
            for (const auto& [code, argument] : dialog.commands) EXPECT_NE(code, state.unsent) << "an unwanted command";
        if (state.command) {
            bool sent = false;
            for (const auto& [code, argument] : dialog.commands) sent = sent || code == state.command;
            EXPECT_TRUE(sent) << "command " << state.command;
        }
        if (shot.saved) std::cout << "screenshot: " << shot.path << std::endl;
    }
    XCloseDisplay(display);
}
