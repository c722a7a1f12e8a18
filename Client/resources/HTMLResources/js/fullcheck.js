// The full check of the installed files: its button, its progress bar and the list
// of damaged files it found. In the progressive edition (the text table's
// "option.progressive" is "true") the game hub downloads the game: while it is still
// at work, the check looks only at the files the game needs (502) and leaves the hub
// alone; otherwise it checks every file (501), and the hub lets go of them meanwhile.
// Elsewhere it is the plain full check (50). Other scripts start it with FullCheck.run().
// A damaged file of the running launcher cannot be repaired from here: the panel
// offers the reinstall of the game and the launcher's exit.
var FullCheck = (function () {
    var minimum = false;

    function element(id) { return document.getElementById(id); }

    function run() {
        minimum = false;
        if (Texts.get("option.progressive") !== "true") {
            App.send(50);
        } else if (Hub.downloading()) {
            minimum = true;
            App.send(502);
        } else {
            App.send(501);
        }
    }

    document.addEventListener("DOMContentLoaded", function () {
        element("fullCheckRun").addEventListener("click", run);
    });

    function showResult(key) {
        var result = element("fullCheckResult");
        result.setAttribute("data-text", key);
        result.textContent = key ? Texts.get(key) : "";
    }

    function showProgress(percent) {
        var progress = element("fullCheckProgress");
        progress.hidden = false;
        Progress.show(progress, percent);
    }

    // The entries come as four arguments each: path, size, code, index.
    function showDamaged(args) {
        var list = element("damagedFiles");
        list.textContent = "";
        for (var i = 0; i + 3 < args.length; i += 4) {
            var item = document.createElement("li");
            var reason = document.createElement("span");
            reason.setAttribute("data-text", "fullcheck.code." + args[i + 2]);
            reason.textContent = Texts.get("fullcheck.code." + args[i + 2]);
            item.textContent = args[i] + " ";
            item.appendChild(reason);
            list.appendChild(item);
        }
        list.hidden = list.children.length === 0;
    }

    function finish(key, args) {
        element("fullCheckRun").disabled = false;
        showResult(key);
        showDamaged(args || []);
    }

    function offerReinstall(offer) {
        element("fullCheckReinstall").hidden = !offer;
        element("fullCheckExit").hidden = !offer;
    }

    App.module("FullCheck", {
        OnStart: function () {
            element("fullCheckRun").disabled = true;
            offerReinstall(false);
            showResult(minimum ? "fullcheck.running.minimum" : "fullcheck.running");
            showDamaged([]);
            showProgress(0);
        },
        OnProgress: function (percent) { showProgress(percent); },
        OnSuccess: function () { finish(minimum ? "fullcheck.valid.minimum" : "fullcheck.valid"); },
        OnComplete: function () { finish("fullcheck.damaged", Array.prototype.slice.call(arguments)); },
        // A damaged file is part of the running launcher: it cannot be repaired from here.
        OnSystemCrash: function () {
            finish("fullcheck.systemcrash", Array.prototype.slice.call(arguments));
            offerReinstall(true);
        },
        OnFailGameVersion: function () {
            offerReinstall(false);
            element("fullCheckProgress").hidden = true;
            finish("fullcheck.noversion");
        }
    });

    return { run: run };
})();
