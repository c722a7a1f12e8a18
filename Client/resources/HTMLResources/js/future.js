// The next update, fetched in advance. When the update server announces a version it
// has not yet released ("Patching.OnResponse" "true" on the update road), this panel
// says so; with the player's "Download future updates in advance" on, the page fetches
// it while the game runs: the game step's side step asks the server (31) and downloads
// the patches (300) at the speed limits for the running game, shown by the download
// panel. The launcher records the version it fetched, and a later start, once the
// version is released, finds the patches in place and installs them without
// downloading them again.
//
// The side step tells its news with the update road's "Patching." events: from
// "Global.OnFutureUpdateState" on they come to this script as "FuturePatch." until the
// side step is over. A main-flow step that replaces the game step ends it too; the
// next game start goes on from what is on the disk.
(function () {
    var offered = false;
    // "", "offered", "asking", "downloading", "done", "none", "failed", "interrupted".
    var stage = "";
    var version = "";
    var shown = { key: "", code: "" };

    function element(id) { return document.getElementById(id); }

    function running() { return stage === "asking" || stage === "downloading"; }

    function show(key, code) {
        shown = { key: key, code: code || "" };
        var line = element("futureState");
        line.setAttribute("data-text", key);
        line.textContent = key ? Texts.get(key).replace("%s", version) : "";
        element("futureCode").textContent = code ? "(" + code + ")" : "";
    }

    function enter(next, key, code) {
        stage = next;
        element("future").hidden = false;
        show(key, code);
    }

    // The side step has nothing more to tell: the road's module is the road's again.
    function end(next, key, code) {
        App.reroute("Patching", null);
        enter(next, key, code);
    }

    function offer() {
        enter("offered", Prefs.saved("isFutureUpdates") === "1" ? "future.offered.on" : "future.offered.off");
    }

    // The game runs: fetch what is on offer unless it is fetched, being fetched or unwanted.
    function start() {
        if (!offered || running() || stage === "done" || stage === "none") return;
        if (Prefs.saved("isFutureUpdates") !== "1") return;
        App.send(31);
    }

    function interrupted() {
        if (running()) end("interrupted", "future.interrupted");
    }

    App.module("Patching", {
        OnResponse: function (futureOnOffer) {
            offered = futureOnOffer === "true";
            if (offered && stage === "") offer();
        }
    });

    // What the player chose is saved: the offer says what will happen.
    ["OnLoad", "OnApply", "OnReset"].forEach(function (event) {
        var handlers = {};
        handlers[event] = function () { if (stage === "offered") offer(); };
        App.module("Prefs", handlers);
    });

    App.module("Global", {
        OnFutureUpdateState: function () {
            App.reroute("Patching", "FuturePatch");
            enter("asking", "future.asking");
        }
    });

    App.module("FuturePatch", {
        OnRequest: function () { enter("asking", "future.asking"); },
        // The too-old flag, then the version each patch leads to.
        OnAnswer: function (tooOld) {
            var versions = Array.prototype.slice.call(arguments, 1);
            if (tooOld === "true" || !versions.length) {
                end("failed", "future.failed.request");
                return;
            }
            version = versions[versions.length - 1];
            enter("downloading", "future.downloading");
            App.send(300);
        },
        OnResponse: function () { end("none", "future.none"); },
        OnUpdateLauncher: function () { end("failed", "future.failed.request"); },
        OnServerError: function (code) { end("failed", "future.failed.request", code); },
        OnLogicError: function (code) { end("failed", "future.failed.request", code); },
        OnDownloadStart: function () {
            Download.begin("future");
            enter("downloading", "future.downloading");
        },
        OnDownloadComplete: function () {
            Download.finish("download.complete.future");
            end("done", "future.ready");
        },
        OnTorrentError: function () {
            Download.fail("download.torrenterror");
            end("failed", "future.failed.download");
        },
        OnDownloadCompleteTimeout: function () {
            Download.fail("download.timeout");
            end("failed", "future.failed.download");
        }
    });

    App.module("Game", {
        OnRun: start,
        // Another game step: the one that held the side step is gone.
        OnEpayCheck: interrupted
    });
    App.module("FullCheck", { OnStart: interrupted, OnFailGameVersion: interrupted });
    App.module("FastCheck", { OnSuccess: interrupted, OnFail: interrupted });
    App.module("InitialCheck", { OnCheckRequest: interrupted, OnReadyToUpdate: interrupted, OnNeedRepair: interrupted });
    App.module("LauncherDownload", { OnStartTorrentDownload: interrupted });

    // The texts are filled in anew for another language: the version goes back in.
    App.module("Locale", {
        OnLoad: function () { window.setTimeout(function () { if (shown.key) show(shown.key, shown.code); }, 0); }
    });
})();
