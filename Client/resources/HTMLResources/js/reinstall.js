// The reinstall of the game, offered where only a reinstall helps: an installed
// version too old to be patched, a damaged file of the launcher itself. Each such place
// has a "Reinstall" button (data-reinstall) of its own; it asks once, saying what stays
// and what is replaced, and then downloads a new launcher (2700, 2701; the download
// panel shows the files) and starts it in the reinstall mode (2702 "2"). The window
// closes, and the new launcher empties the game folder except Personal/ and
// data/mods/, installs itself with the new version file and restarts.
var Reinstall = (function () {
    function element(id) { return document.getElementById(id); }

    function asking() { return !element("reinstallConfirm").hidden; }

    function close() { element("reinstallConfirm").hidden = true; }

    // One download at a time: the buttons wait while it runs.
    function setRunning(running) {
        document.querySelectorAll("[data-reinstall]").forEach(function (button) { button.disabled = running; });
    }

    function ask() {
        element("reinstallConfirm").hidden = false;
        element("reinstallNo").focus();
    }

    function confirm() {
        close();
        setRunning(true);
        LauncherUpdate.download("2");
    }

    // A place's own button, hidden until that place shows it.
    function button(id) {
        var node = document.createElement("button");
        node.id = id;
        node.type = "button";
        node.hidden = true;
        node.setAttribute("data-reinstall", "");
        node.setAttribute("data-text", "reinstall.run");
        node.textContent = Texts.get("reinstall.run");
        return node;
    }

    document.addEventListener("click", function (event) {
        var target = event.target.closest ? event.target.closest("[data-reinstall]") : null;
        if (target && !target.disabled) ask();
    });

    document.addEventListener("DOMContentLoaded", function () {
        element("reinstallYes").addEventListener("click", confirm);
        element("reinstallNo").addEventListener("click", close);
    });
    Cancel.add(asking, close);

    // The launcher panel tells why the download stopped; the player may ask again.
    function stopped() { setRunning(false); }
    App.module("LauncherDownload", {
        OnServerError: stopped,
        OnLogicError: stopped,
        OnTorrentError: stopped,
        OnDownloadCompleteTimeout: stopped
    });

    return { button: button };
})();
