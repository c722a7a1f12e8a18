// The full check of the installed files: its button, its progress bar and the list
// of damaged files it found.
(function () {
    function element(id) { return document.getElementById(id); }

    function showResult(key) {
        var result = element("fullCheckResult");
        result.setAttribute("data-text", key);
        result.textContent = key ? Texts.get(key) : "";
    }

    function showProgress(percent) {
        var progress = element("fullCheckProgress");
        progress.hidden = false;
        progress.querySelector(".fill").style.width = percent + "%";
        progress.querySelector(".percent").textContent = percent + "%";
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

    App.module("FullCheck", {
        OnStart: function () {
            element("fullCheckRun").disabled = true;
            showResult("fullcheck.running");
            showDamaged([]);
            showProgress(0);
        },
        OnProgress: function (percent) { showProgress(Math.min(100, Number(percent) || 0)); },
        OnSuccess: function () { finish("fullcheck.valid"); },
        OnComplete: function () { finish("fullcheck.damaged", Array.prototype.slice.call(arguments)); },
        // A damaged file is part of the running launcher: it cannot be repaired from here.
        OnSystemCrash: function () { finish("fullcheck.systemcrash", Array.prototype.slice.call(arguments)); },
        OnFailGameVersion: function () {
            element("fullCheckProgress").hidden = true;
            finish("fullcheck.noversion");
        }
    });
})();
