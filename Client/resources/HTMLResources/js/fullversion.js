// The full version of a demo installation. A demo (the demo state "1") offers it: the
// launcher asks (10000), and on the player's yes marks the installation (10001) and
// restarts (1003). The next run (the demo state "2") makes the game step (70) once the
// update road has answered, and fetches the missing files on it: the repair request
// (4001), the download of what the demo lacks (600) and, once it is complete, the move
// into the game (4002); the download panel shows the download. A game that needs
// patches first is updated first. The player
// can give up meanwhile (10002), which restores the demo when the launcher closes.
// The preferences tell whether the full version downloads in the background
// ("App.SetDownloadFullState"); while it downloads, the panel says so.
(function () {
    var demoState = "0";
    // What the update road answered: "" not yet, "current", or "behind" (patches to apply).
    var update = "";
    // "", "offer", "ask", "restart", "request", "download", "install", "done", "failed".
    var stage = "";
    var roadStarted = false;
    var requested = false;
    var background = false;

    function element(id) { return document.getElementById(id); }

    var shown = { key: "", code: undefined };

    function show(key, code) {
        shown = { key: key, code: code };
        var line = element("fullVersionState");
        line.setAttribute("data-text", key);
        line.textContent = key ? Texts.get(key).replace("%s", code === undefined ? "" : code) : "";
    }

    // The stage decides which buttons the section shows.
    var buttons = {
        fullVersionGet: ["offer"],
        fullVersionYes: ["ask"],
        fullVersionNo: ["ask"],
        fullVersionRetry: ["request-failed"],
        fullVersionCancel: ["request", "request-failed", "download"],
        fullVersionExit: ["done", "failed"]
    };

    function showBackground() {
        element("fullVersionBackground").hidden = !background || !during(["request", "request-failed", "download"]);
    }

    function enter(next, key, code) {
        stage = next;
        element("fullVersion").hidden = stage === "";
        Object.keys(buttons).forEach(function (id) { element(id).hidden = buttons[id].indexOf(stage) < 0; });
        show(key || "", code);
        showBackground();
    }

    function during(stages) { return stages.indexOf(stage) >= 0; }

    // The game step replaces the update road's step: only once that has answered.
    function makeGameStep() {
        if (demoState !== "2" || stage !== "request" || requested) return;
        if (update === "behind") show("full.afterupdate");
        else if (update === "current") App.send(70);
    }

    function answered(state) {
        return function () {
            if (update !== "") return;
            update = state;
            makeGameStep();
        };
    }

    // The page's texts are filled in anew for another language: the code goes back in.
    App.module("Locale", { OnLoad: function () { window.setTimeout(function () { show(shown.key, shown.code); }, 0); } });

    App.module("Patching", {
        OnAnswer: answered("behind"),
        OnUpdateLauncher: answered("behind"),
        OnResponse: answered("current"),
        OnServerError: answered("current"),
        OnLogicError: answered("current")
    });

    function request() {
        enter("request", "full.requesting");
        App.send(4001);
    }

    document.addEventListener("DOMContentLoaded", function () {
        element("fullVersionGet").addEventListener("click", function () { App.send(10000); });
        element("fullVersionYes").addEventListener("click", function () { App.send(10001); });
        element("fullVersionNo").addEventListener("click", function () { enter("offer", "full.offer"); });
        element("fullVersionRetry").addEventListener("click", request);
        element("fullVersionCancel").addEventListener("click", function () { App.send(10002); });
        element("fullVersionExit").addEventListener("click", function () { App.send(1002); });
    });

    App.module("App", {
        // The preferences' load tells the demo state; it may come more than once.
        SetDemoState: function (state) {
            if (roadStarted) return;
            demoState = state;
            if (state === "1") {
                if (stage === "") enter("offer", "full.offer");
            } else if (state === "2") {
                roadStarted = true;
                enter("request", "full.preparing");
                makeGameStep();
            } else {
                enter("");
            }
        },
        SetDownloadFullState: function (on) {
            background = on === "1";
            showBackground();
        },
        AskForFullVersion: function () { enter("ask", "full.ask"); },
        DemoDownloadFullVersion: function () {
            enter("restart", "full.restarting");
            App.send(1003);
        },
        DoExit: function () { App.send(1002); }
    });

    App.module("Game", {
        // The game step of this run exists: the fetch starts on it, once.
        OnEpayCheck: function () {
            if (demoState !== "2" || requested) return;
            requested = true;
            request();
        },
        ExitGame: function () { enter("done", "full.installed"); },
        FullInstallationFailed: function () { enter("failed", "full.installfailed"); }
    });

    App.module("Repair", {
        OnRequest: function () { if (during(["request", "request-failed"])) enter("request", "full.requesting"); },
        OnAnswer: function () {
            if (stage !== "request") return;
            enter("download", "full.downloading");
            // The shared download panel shows the download's progress under its own title.
            Download.expect("full");
            App.send(600);
        },
        OnServerError: function (code) { if (stage === "request") enter("request-failed", "full.servererror", code); },
        OnLogicError: function (code) { if (stage === "request") enter("request-failed", "full.logicerror", code); },
        // Repeated every two seconds until the next step: the install is asked for once.
        OnDownloadComplete: function () {
            if (stage !== "download") return;
            enter("install", "full.installing");
            App.send(4002);
        }
    });
})();
