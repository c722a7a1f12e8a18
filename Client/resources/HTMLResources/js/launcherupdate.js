// The launcher's own update. At start the page asks the launcher whether it runs as a
// freshly downloaded copy (25): such a copy installs itself, and the page restarts into
// the installed one (26), which removes the download folder. When the update server
// asks for a newer launcher, the panel downloads it (2700, 2701) and starts it (2702)
// to update the launcher (mode "1"); a reinstall of the game downloads it the same way
// and starts it in its own mode ("2", LauncherUpdate.download).
var LauncherUpdate = (function () {
    var mode = "1";
    var retryCommand = null;
    var retryArgument;
    var removedDownload = false;

    function element(id) { return document.getElementById(id); }

    // The status names its text by key, so a change of language re-renders it.
    function show(key, retry, argument) {
        var status = element("launcherUpdateStatus");
        status.setAttribute("data-text", key);
        status.textContent = Texts.get(key);
        element("launcherUpdate").hidden = false;
        retryCommand = retry === undefined ? null : retry;
        retryArgument = argument;
        element("launcherUpdateRetry").hidden = retryCommand === null;
        element("launcherUpdateDownload").hidden = true;
        element("launcherUpdateCode").textContent = "";
    }

    function busy(on) { element("launcherUpdate").classList.toggle("busy", on); }

    function showFiles(paths) { Texts.list(element("launcherUpdateFiles"), paths); }

    function showError(prefix, code) {
        var key = Texts.coded(prefix, code);
        busy(false);
        show(key, 2700);
        element("launcherUpdateCode").textContent = "(" + code + ")";
    }

    document.addEventListener("DOMContentLoaded", function () {
        element("launcherUpdateRetry").addEventListener("click", function () {
            if (retryCommand === null) return;
            showFiles([]);
            App.send(retryCommand, retryArgument);
        });
        element("launcherUpdateDownload").addEventListener("click", function () { download("1"); });
    });

    function download(downloadMode) {
        mode = downloadMode;
        App.send(2700);
    }

    App.onReady(function () { App.send(25); });

    App.module("LauncherUpdate", {
        OnNeedUpdate: function () {
            // This copy runs from its download folder only to install itself: the rest
            // of the page has nothing to offer here.
            document.body.classList.add("selfupdate");
            busy(true);
            show("launcherupdate.installing");
        },
        OnUpdated: function () {
            busy(true);
            show("launcherupdate.updated");
            App.send(26);
        },
        OnNotUpdated: function () {
            busy(false);
            show("launcherupdate.failed", 25);
        },
        OnLockedFiles: function () {
            busy(false);
            show("launcherupdate.locked", 25);
            showFiles(Array.prototype.slice.call(arguments));
        },
        OnDeleteTempDir: function () { removedDownload = true; },
        OnNoNeedUpdate: function () {
            // Only the first start after a self-update has something to tell.
            if (removedDownload) show("launcherupdate.done");
        }
    });

    App.module("Patching", {
        OnUpdateLauncher: function () {
            show("launcherupdate.needed");
            element("launcherUpdateDownload").hidden = false;
        }
    });

    App.module("LauncherDownload", {
        OnStartTorrentDownload: function () {
            busy(true);
            show("launcherupdate.fetching");
        },
        OnFinishTorrentDownload: function () { App.send(2701); },
        // The download panel shows the files' download; this panel steps aside for it.
        OnStartFilesDownload: function () { element("launcherUpdate").hidden = true; },
        OnFinishFilesDownload: function () { App.send(2702, mode); },
        OnServerError: function (code) { showError("launcherupdate.network.", code); },
        OnLogicError: function (code) { showError("launcherupdate.server.", code); },
        OnTorrentError: function () {
            busy(false);
            show("launcherupdate.torrent", 2700);
        },
        OnDownloadCompleteTimeout: function () {
            busy(false);
            show("launcherupdate.stuck", 2700);
        }
    });

    return { download: download, mode: function () { return mode; } };
})();
