// The game hub's download progress, in the progressive mode only (the text table's
// "option.progressive" is "true"): there the hub downloads the game, not the
// launcher. Every game step (70) is linked to the hub (77) as it starts and then
// reports every 100 ms how much of the game is ready. The page makes a game step of
// its own once the update road has answered, so that the progress shows before
// Play; Play waits while the hub says that parts the game needs are missing. When
// the launcher downloads patches itself, it leaves the hub its share of the line
// (12), once the download has a speed to share. A file check takes the game step's
// place: once the check (and the repair after it) is over, a new game step links
// again and the hub's download resumes.
//
// Loaded before game.js: when Play makes a new game step, the link must exist before
// game.js starts the game (700) on the same Game.OnEpayCheck, so that the game is told
// it runs beside the hub. Hub.downloading() tells whether the linked hub's download
// is still under way.
var Hub = (function () {
    // When the reports stop, another step has taken the game step's place: Play no
    // longer waits for them.
    var kReportsStopMs = 1000;
    var stepAsked = false;
    // The current link has reported; it has reported more than the 0% it tells until
    // the hub lists its packs; some link's progress is in view.
    var linkReported = false;
    var linkListed = false;
    var progressShown = false;
    var holdingPlay = false;
    var reportsStopped = 0;
    // The link's last word: the hub's download goes on.
    var downloading = false;
    // The update road downloads patches, and the hub's share is not reserved yet.
    var sharing = false;

    function element(id) { return document.getElementById(id); }

    function progressive() { return Texts.get("option.progressive") === "true"; }

    function show(look, key) {
        var section = element("hub");
        section.hidden = false;
        ["ready", "lost", "failed"].forEach(function (name) { section.classList.toggle(name, name === look); });
        var line = element("hubState");
        line.setAttribute("data-text", key);
        line.textContent = Texts.get(key);
    }

    // Only a hold of its own is let go: the game start disables Play too.
    function holdPlay(hold) {
        window.clearTimeout(reportsStopped);
        if (hold) {
            reportsStopped = window.setTimeout(function () { holdPlay(false); }, kReportsStopMs);
            holdingPlay = true;
            element("gamePlay").disabled = true;
        } else if (holdingPlay) {
            holdingPlay = false;
            element("gamePlay").disabled = false;
        }
    }

    // The update road has answered, so a game step no longer cuts it short.
    function makeGameStep() {
        if (!progressive() || stepAsked) return;
        stepAsked = true;
        App.send(70);
    }

    // Patches to fetch: the road goes on to download them (300) and install them, on
    // its own step, which a game step would replace.
    function roadAnswered(tooOld) {
        if (tooOld !== "true" && arguments.length > 1) {
            sharing = progressive();
            return;
        }
        makeGameStep();
    }

    // The launcher keeps its download that much below the speed it measures when the
    // channel is reserved: only a speed it has measured leaves it something.
    function shareTheLine(percent, done, total, down) {
        if (!sharing || !(Number(down) > 0)) return;
        sharing = false;
        App.send(12, "true");
    }

    // The check's step has taken the game step's place, and with it the link.
    function checkStarted() {
        if (!progressive()) return;
        stepAsked = false;
        holdPlay(false);
        show("", "hub.checking");
    }

    // The check and its repair are over: the next game step links again.
    function checkOver() {
        if (!progressive() || stepAsked) return;
        makeGameStep();
    }

    // A road that stops before the patch request has answered too.
    App.module("InitialCheck", { OnNeedRepair: makeGameStep });
    App.module("CheckAttributes", {
        OnFailedChecking_ResetAttrError: makeGameStep,
        OnFailedChecking_UnknownError: makeGameStep
    });

    App.module("Patching", {
        OnAnswer: roadAnswered,
        OnResponse: makeGameStep,
        OnUpdateLauncher: makeGameStep,
        OnServerError: makeGameStep,
        OnLogicError: makeGameStep
    });

    App.module("Game", {
        // A new game step, the page's own or Play's. What an earlier step last told
        // stays in view until the new link reports.
        OnEpayCheck: function () {
            if (!progressive()) return;
            stepAsked = true;
            linkReported = false;
            linkListed = false;
            App.send(77, "true");
            if (element("hub").hidden) show("", "hub.connecting");
        },
        OnVtConnectFail: function () {
            downloading = false;
            holdPlay(false);
            show("failed", "hub.connectfail");
        },
        // Also every tick until the hub first answers.
        OnVtConnectionLost: function () {
            downloading = false;
            holdPlay(false);
            if (linkReported) show("lost", "hub.lost");
            else show("", "hub.connecting");
        },
        OnDownloading: function (percent, allRequiredComplete) {
            var ready = allRequiredComplete === "1";
            linkReported = true;
            // A new link's first word is not news: what the earlier one told stays.
            if (!linkListed && !ready && Number(percent) === 0 && progressShown) return;
            downloading = true;
            linkListed = true;
            progressShown = true;
            Progress.show(element("hub"), percent);
            holdPlay(!ready);
            show(ready ? "ready" : "", ready ? "hub.ready" : "hub.downloading");
        },
        OnDownloadingFinished: function () {
            downloading = false;
            linkReported = true;
            linkListed = true;
            progressShown = true;
            Progress.show(element("hub"), 100);
            holdPlay(false);
            show("ready", "hub.finished");
        }
    });

    App.module("Downloader", { OnProgress: shareTheLine });
    App.module("FullCheck", { OnStart: checkStarted, OnSuccess: checkOver, OnSystemCrash: checkOver });
    App.module("Repair", { OnSuccess: checkOver, OnFail: checkOver, OnLauncherRepair: checkOver });

    return { downloading: function () { return progressive() && downloading; } };
})();
