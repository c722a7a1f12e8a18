// The update road as the page runs it: once the launcher answers, the initial check
// (80), then the attribute check (45), then the patch request (30), each with a status
// line that says in words how it went; a step that fails stops the road and can be
// tried again. After the server's answer the player can also patch from a folder
// (3001), and once the patches are downloaded install them (3000): the launcher then
// closes and the patch applier takes over. An installed version that no patch leads
// from offers the reinstall of the game.
//
// Trying again runs the failed step alone while the road's own step is still the
// launcher's main one (80 makes it; a game step, a check or a launcher download
// replaces it). Otherwise the road starts over at 80, which replaces a game step too:
// one that stood there before is made again (70) once the road has answered, unless
// updates are to be downloaded on the road's step.
//
// The road's lines and buttons are made here, inside the "patching" panel (and the
// manual patch among the update tools when the page has such a group), so that the
// page's layout stays free to place the panel.
(function () {
    // A step whose command the launcher could not take sends nothing at all.
    var kNoAnswerMs = 10000;

    var steps = [
        { id: "roadInitial", name: "road.initial", command: 80 },
        { id: "roadAttributes", name: "road.attributes", command: 45 },
        { id: "roadRequest", name: "road.request", command: 30 }
    ];
    var noAnswer = 0;
    var failedStep = -1;
    // 80 made the road's step the main one and nothing has replaced it since.
    var roadHoldsMain = false;
    // A game step is the main one; a game step to make again once the road has answered.
    var gameStepHeld = false;
    var gameStepToRestore = false;

    function element(id) { return document.getElementById(id); }

    function make(tag, id, textKey) {
        var node = document.createElement(tag);
        if (id) node.id = id;
        if (textKey) {
            node.setAttribute("data-text", textKey);
            node.textContent = Texts.get(textKey);
        }
        return node;
    }

    function button(id, textKey, onClick) {
        var node = make("button", id, textKey);
        node.type = "button";
        node.hidden = true;
        node.addEventListener("click", onClick);
        return node;
    }

    function buildMarkup() {
        var panel = element("patching");
        var road = make("ol", "updateRoad");
        steps.forEach(function (step) {
            var line = make("li", step.id);
            line.className = "waiting";
            line.appendChild(make("span", null, step.name)).className = "stepName";
            var state = line.appendChild(make("span"));
            state.className = "stepState";
            state.setAttribute("role", "status");
            // Names from the launcher (folders) go here, as text.
            line.appendChild(make("span")).className = "stepDetail";
            road.appendChild(line);
        });
        panel.insertBefore(road, panel.firstChild);
        var actions = make("div", "patchingActions");
        var installButton = actions.appendChild(button("patchInstall", "patching.install", install));
        installButton.setAttribute("data-title", "patching.install.hint");
        installButton.title = Texts.get("patching.install.hint");
        actions.appendChild(button("roadRetry", "road.retry", retry));
        actions.appendChild(Reinstall.button("roadReinstall"));
        panel.appendChild(actions);
        // The manual patch is a tool: among the update tools when the page has them.
        var manual = button("patchManual", "patching.manual", function () { App.send(3001); });
        var tools = element("toolsUpdate");
        if (tools) {
            manual.className = "tool";
            tools.appendChild(manual);
        } else {
            actions.appendChild(manual);
        }
    }

    function line(index) { return element(steps[index].id); }

    // The line's state names its text by key, so a change of language re-renders it.
    function setStep(index, state, key, detail) {
        var node = line(index);
        node.className = state;
        var text = node.querySelector(".stepState");
        text.setAttribute("data-text", key);
        text.textContent = Texts.get(key);
        node.querySelector(".stepDetail").textContent = detail || "";
    }

    function clearGuard() {
        window.clearTimeout(noAnswer);
        noAnswer = 0;
    }

    function runStep(index) {
        clearGuard();
        setStep(index, "running", "road.running");
        noAnswer = window.setTimeout(function () { fail(index, "road.noanswer"); }, kNoAnswerMs);
        if (index === 0) {
            roadHoldsMain = true;
            gameStepHeld = false;
        }
        App.send(steps[index].command);
    }

    // The road has answered: a game step that the road replaced comes back.
    function roadAnswered() {
        if (!gameStepToRestore) return;
        gameStepToRestore = false;
        App.send(70);
    }

    // Told by the step itself: no more guard for it.
    function answered(index, key) {
        clearGuard();
        setStep(index, "running", key);
    }

    function done(index, key) {
        clearGuard();
        setStep(index, "done", key);
    }

    function fail(index, key, detail) {
        clearGuard();
        setStep(index, "failed", key, detail);
        failedStep = index;
        element("roadRetry").hidden = false;
        roadAnswered();
    }

    function startRoad() {
        element("patching").hidden = false;
        element("roadRetry").hidden = true;
        element("patchInstall").hidden = true;
        element("patchManual").hidden = true;
        element("roadReinstall").hidden = true;
        failedStep = -1;
        for (var i = 0; i < steps.length; ++i) setStep(i, "waiting", "road.waiting");
        runStep(0);
    }

    function retry() {
        if (roadHoldsMain && failedStep > 0) {
            element("roadRetry").hidden = true;
            element("roadReinstall").hidden = true;
            for (var i = failedStep; i < steps.length; ++i) setStep(i, "waiting", "road.waiting");
            runStep(failedStep);
            return;
        }
        gameStepToRestore = gameStepToRestore || gameStepHeld;
        startRoad();
    }

    // Another main step replaces the road's own.
    function mainStepReplaced() { roadHoldsMain = false; }

    function install() {
        var installButton = element("patchInstall");
        installButton.disabled = true;
        showStatus("patching.installing");
        App.send(3000);
    }

    // The status names its text by key, so a change of language re-renders it.
    function showStatus(key) {
        var status = element("patchingStatus");
        status.setAttribute("data-text", key);
        status.textContent = Texts.get(key);
        element("patchingCode").textContent = "";
    }

    function showVersion(id, version) {
        element(id).textContent = version || "";
        element(id).parentNode.hidden = !version;
    }

    function showChain(versions) { Texts.list(element("patchChain"), versions); }

    // A code without a text of its own still says which it was.
    function showError(prefix, code) {
        var key = Texts.coded(prefix, code);
        showStatus(key);
        element("patchingCode").textContent = "(" + code + ")";
    }

    function finish() {
        element("patching").classList.remove("busy");
    }

    document.addEventListener("DOMContentLoaded", buildMarkup);

    App.module("Game", {
        OnEpayCheck: function () {
            mainStepReplaced();
            gameStepHeld = true;
        }
    });
    App.module("FullCheck", { OnStart: mainStepReplaced, OnFailGameVersion: mainStepReplaced });
    App.module("FastCheck", { OnSuccess: mainStepReplaced, OnFail: mainStepReplaced });
    App.module("LauncherDownload", { OnStartTorrentDownload: mainStepReplaced });

    App.onReady(startRoad);

    App.module("InitialCheck", {
        OnCheckRequest: function () { answered(0, "road.initial.checking"); },
        OnReadyToUpdate: function () {
            done(0, "road.initial.none");
            runStep(1);
        },
        OnNeedRepair: function () { fail(0, "road.initial.repair"); }
    });

    App.module("CheckAttributes", {
        OnStartChecking: function () { answered(1, "road.attributes.running"); },
        OnSuccessChecking: function () {
            done(1, "road.attributes.done");
            runStep(2);
        },
        // Up to three folders whose files stay read-only.
        OnFailedChecking_ResetAttrError: function () {
            fail(1, "road.attributes.readonly", Array.prototype.slice.call(arguments).join(", "));
        },
        OnFailedChecking_UnknownError: function () { fail(1, "road.attributes.unknown"); }
    });

    App.module("Patching", {
        OnRequest: function (installed) {
            answered(2, "road.request.asking");
            element("patching").classList.add("busy");
            showVersion("installedVersion", installed);
            showVersion("announcedVersion", "");
            showChain([]);
            showStatus("patching.asking");
        },
        // The too-old flag, then the version each patch leads to; the last one is
        // the version the server announces.
        OnAnswer: function (tooOld) {
            var versions = Array.prototype.slice.call(arguments, 1);
            finish();
            showVersion("announcedVersion", versions[versions.length - 1]);
            showChain(versions);
            if (tooOld === "true") {
                fail(2, "road.request.tooold");
                showStatus("patching.tooold");
                element("roadReinstall").hidden = false;
                return;
            }
            done(2, "road.request.updates");
            showStatus("patching.chain");
            element("patchManual").hidden = false;
            // The download that follows needs the road's step: no game step in its place.
            gameStepToRestore = false;
        },
        OnResponse: function (futureOnOffer) {
            finish();
            done(2, "road.request.uptodate");
            showStatus(futureOnOffer === "true" ? "patching.future" : "patching.uptodate");
            roadAnswered();
        },
        OnUpdateLauncher: function () {
            finish();
            done(2, "road.request.launcher");
            showStatus("patching.launcher");
            roadAnswered();
        },
        OnServerError: function (code) {
            finish();
            fail(2, "road.request.failed");
            showError("patching.network.", code);
        },
        OnLogicError: function (code) {
            finish();
            fail(2, "road.request.failed");
            showError("patching.server.", code);
            // No patch leads from the installed version.
            element("roadReinstall").hidden = code !== "-2";
        },
        // Every patch of the chain is on disk: they can be installed.
        OnDownloadComplete: function () {
            var installButton = element("patchInstall");
            installButton.hidden = false;
            installButton.disabled = false;
            showStatus("patching.downloaded");
        },
        // The launcher stays open: the applier or the plan could not be put in place.
        OnApplyFailed: function () {
            element("patchInstall").disabled = false;
            showStatus("patching.applyfailed");
        }
    });
})();
