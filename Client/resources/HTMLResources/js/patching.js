// The patch request: once the launcher answers, the page starts the update road (80)
// and asks the update server for patches (30), then shows the installed version and
// the server's answer: the versions the patches lead to, or what went wrong, in words.
(function () {
    function element(id) { return document.getElementById(id); }

    // The status names its text by key, so a change of language re-renders it.
    function showStatus(key) {
        var status = element("patchingStatus");
        status.setAttribute("data-text", key);
        status.textContent = Texts.get(key);
    }

    function showVersion(id, version) {
        element(id).textContent = version || "";
        element(id).parentNode.hidden = !version;
    }

    // Versions come from the server: they are shown as text, never as markup.
    function showChain(versions) {
        var chain = element("patchChain");
        chain.textContent = "";
        versions.forEach(function (version) {
            var item = document.createElement("li");
            item.textContent = version;
            chain.appendChild(item);
        });
        chain.hidden = versions.length === 0;
    }

    // A code without a text of its own still says which it was.
    function showError(prefix, code) {
        var key = prefix + code;
        if (Texts.get(key) === key) key = prefix + "other";
        showStatus(key);
        element("patchingCode").textContent = "(" + code + ")";
    }

    function finish() {
        element("patching").classList.remove("busy");
    }

    App.onReady(function () {
        App.send(80);
        App.send(30);
    });

    App.module("Patching", {
        OnRequest: function (installed) {
            element("patching").hidden = false;
            element("patching").classList.add("busy");
            showVersion("installedVersion", installed);
            showVersion("announcedVersion", "");
            element("patchingCode").textContent = "";
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
            showStatus(tooOld === "true" ? "patching.tooold" : "patching.chain");
        },
        OnResponse: function (futureOnOffer) {
            finish();
            showStatus(futureOnOffer === "true" ? "patching.future" : "patching.uptodate");
        },
        OnUpdateLauncher: function () {
            finish();
            showStatus("patching.launcher");
        },
        OnServerError: function (code) {
            finish();
            showError("patching.network.", code);
        },
        OnLogicError: function (code) {
            finish();
            showError("patching.server.", code);
        }
    });
})();
