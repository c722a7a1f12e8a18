// The repair after a full check that found damaged files: "Repair" asks the server
// for the repair set (60), downloads the damaged files (600, shown by the download
// panel) and puts them in place (6000), each once the step before has reported; a
// locked game file is asked about in a dialog (800 try again; 8000 either skips the
// file or stops the repair: the repair ends there in both cases, and the page says
// which the player chose). A version file that cannot be read is fetched again (6),
// and the files are checked once more. A damaged file of the launcher itself is
// not repaired: the panel offers the reinstall of the game.
(function () {
    var phase = "";  // "", "request", "download", "moving", "version"
    var lockedAnswer = "";  // "", "skip" or "stop": how the last locked file was answered

    function element(id) { return document.getElementById(id); }

    function setStatus(key, failed) {
        var status = element("repairStatus");
        status.setAttribute("data-text", key);
        status.textContent = key ? Texts.get(key) : "";
        element("repair").classList.toggle("failed", !!failed);
    }

    function showButtons(repair, version, reinstall) {
        element("repairRun").hidden = !repair;
        element("repairVersion").hidden = !version;
        element("repairReinstall").hidden = !reinstall;
        element("repairRun").disabled = false;
        element("repairVersion").disabled = false;
    }

    function busy() {
        element("repairRun").disabled = true;
        element("repairVersion").disabled = true;
        element("fullCheckRun").disabled = true;
    }

    function idle() {
        phase = "";
        element("fullCheckRun").disabled = false;
        element("repairRun").disabled = false;
        element("repairVersion").disabled = false;
    }

    // The files being put in place; the download has a panel of its own.
    function showProgress(percent) {
        var progress = element("repairProgress");
        progress.hidden = false;
        Progress.show(progress, percent);
    }

    // Four arguments per file: path, size, code (0 once repaired), index.
    function showResults(args) {
        var list = element("repairResults");
        list.textContent = "";
        for (var i = 0; i + 3 < args.length; i += 4) {
            var item = document.createElement("li");
            var outcome = document.createElement("span");
            var key = args[i + 2] === "0" ? "repair.file.0" : "fullcheck.code." + args[i + 2];
            outcome.setAttribute("data-text", key);
            outcome.textContent = Texts.get(key);
            outcome.className = args[i + 2] === "0" ? "repaired" : "";
            item.textContent = args[i] + " ";
            item.appendChild(outcome);
            list.appendChild(item);
        }
        list.hidden = list.children.length === 0;
        element("damagedFiles").hidden = true;
    }

    // While the repair runs, its lines take the place of the check's list, and the
    // download panel shows below them.
    function showRepairing(on) { document.body.classList.toggle("repairing", on); }

    function reset() {
        phase = "";
        showRepairing(false);
        element("repair").hidden = true;
        element("repairProgress").hidden = true;
        element("repairResults").hidden = true;
        element("repairLocked").hidden = true;
        setStatus("");
    }

    function fail(key) {
        setStatus(key, true);
        element("repairProgress").hidden = true;
        // Without a download in view the check's list comes back, for another try.
        if (element("download").hidden) showRepairing(false);
        idle();
    }

    function answerLocked(command, answer) {
        lockedAnswer = answer;
        element("repairLocked").hidden = true;
        App.send(command);
    }

    document.addEventListener("DOMContentLoaded", function () {
        element("repairRun").addEventListener("click", function () {
            busy();
            phase = "request";
            lockedAnswer = "";
            element("repairResults").hidden = true;
            showRepairing(true);
            App.send(60);
        });
        element("repairVersion").addEventListener("click", function () {
            busy();
            phase = "version";
            App.send(6);
        });
        element("repairRetry").addEventListener("click", function () { answerLocked(800, ""); });
        element("repairSkip").addEventListener("click", function () { answerLocked(8000, "skip"); });
        element("repairAbort").addEventListener("click", function () { answerLocked(8000, "stop"); });
    });

    App.module("FullCheck", {
        OnStart: reset,
        OnComplete: function () {
            element("repair").hidden = false;
            showButtons(true, false);
        },
        OnFailGameVersion: function () {
            reset();
            element("repair").hidden = false;
            showButtons(false, true);
        }
    });

    App.module("Repair", {
        OnRequest: function () { setStatus(phase === "version" ? "" : "repair.asking"); },
        OnAnswer: function () {
            if (phase !== "request") return;
            phase = "download";
            App.send(600);
        },
        OnDownloadStart: function () { setStatus("repair.downloading"); },
        // Comes on every tick once the files are there: the first one moves them.
        OnDownloadComplete: function () {
            if (phase !== "download") return;
            phase = "moving";
            App.send(6000);
        },
        OnApply: function () {
            // The download is over: its panel makes room for the files' outcome.
            element("download").hidden = true;
            setStatus("repair.moving");
            showProgress(0);
        },
        OnProgress: function (percent) { showProgress(percent); },
        OnLockedFile: function (source, target) {
            element("repairLockedSource").textContent = source;
            element("repairLockedTarget").textContent = target;
            element("repairLocked").hidden = false;
            element("repairRetry").focus();
        },
        OnSuccess: function () {
            // The check's list of damaged files is out of date now: the repair's own
            // list says what became of each file.
            var checkResult = element("fullCheckResult");
            checkResult.setAttribute("data-text", "");
            checkResult.textContent = "";
            element("fullCheck").hidden = true;
            showProgress(100);
            setStatus("repair.success");
            showResults(Array.prototype.slice.call(arguments));
            showButtons(false, false);
            idle();
        },
        OnFail: function (code) {
            element("repairLocked").hidden = true;
            var key = "repair.fail." + code + (code === "2" && lockedAnswer === "skip" ? ".skipped" : "");
            setStatus(Texts.get(key) !== key ? key : "repair.fail.0", true);
            showResults(Array.prototype.slice.call(arguments, 1));
            showButtons(false, false);
            idle();
        },
        OnGameVersionRepaired: function () {
            setStatus("repair.versionrepaired");
            showButtons(false, false);
            idle();
            FullCheck.run();
        },
        OnServerError: function (code) { fail(Texts.coded("patching.network.", code)); },
        OnLogicError: function (code) { fail(Texts.coded("patching.server.", code)); },
        OnSaveError: function () { fail("repair.saveerror"); },
        // The download panel tells why the download failed.
        OnError: function () { fail(""); },
        OnLauncherRepair: function () {
            fail("repair.launcher");
            showButtons(false, false, true);
        }
    });

    App.module("Launcher", {
        OnDiskSpaceError: function () {
            if (phase === "download") fail("");
        }
    });
})();
