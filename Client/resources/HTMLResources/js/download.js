// The download panel: one component for every download the launcher runs (the patches,
// the repair, the launcher's own files, the full version of a demo). Each download
// step opens it with its start event; the shared "Downloader." events then fill one
// progress bar, the downloaded and total sizes, the speeds, the peers and a peer
// table, and the state line (checking, connecting, peers lost, no room on the disk).
// A download whose own events do not tell which it is (the full version runs as a
// repair download) is announced first: Download.expect("full").
//
// The patch road: once the update server has named the patches, they are downloaded
// (300).
var Download = (function () {
    var kMaxPeers = 20;
    var current = "";       // the kind of download in view, "" when none ran
    var stateKey = "";
    var stateLook = "";
    var lastProgress = null;
    var lastPeers = [];
    var expected = "";      // the kind the next repair download is

    function element(id) { return document.getElementById(id); }

    // Byte counts come as decimal texts; a number is exact far past 4 GiB.
    function number(text) {
        var value = Number(text);
        return isFinite(value) && value > 0 ? value : 0;
    }

    function size(bytes) {
        var units = ["download.unit.b", "download.unit.kb", "download.unit.mb", "download.unit.gb", "download.unit.tb"];
        var value = bytes;
        var unit = 0;
        while (value >= 1024 && unit < units.length - 1) {
            value /= 1024;
            unit += 1;
        }
        var digits = unit === 0 || value >= 100 ? 0 : 1;
        return value.toFixed(digits) + " " + Texts.get(units[unit]);
    }

    function speed(bytesPerSecond) { return size(bytesPerSecond) + Texts.get("download.persecond"); }

    function fill(template, values) {
        return template.replace(/\{(\w+)\}/g, function (all, name) {
            return Object.prototype.hasOwnProperty.call(values, name) ? values[name] : all;
        });
    }

    function showState(key, look) {
        stateKey = key;
        stateLook = look || "";
        var panel = element("download");
        ["lost", "failed", "done"].forEach(function (name) { panel.classList.toggle(name, name === stateLook); });
        var line = element("downloadState");
        line.setAttribute("data-text", key);
        line.textContent = Texts.get(key);
    }

    function render() {
        var panel = element("download");
        if (!current) return;
        element("downloadTitle").textContent = Texts.get("download.title." + current);
        if (stateKey) showState(stateKey, stateLook);
        var p = lastProgress || { percent: 0, done: 0, total: 0, down: 0, up: 0, peers: 0 };
        Progress.show(panel, p.percent);
        element("downloadSizes").textContent =
            p.total > 0 ? fill(Texts.get("download.sizes"), { done: size(p.done), total: size(p.total) }) : "";
        element("downloadSpeeds").textContent =
            fill(Texts.get("download.speeds"), { down: speed(p.down), up: speed(p.up) });
        element("downloadPeers").textContent = fill(Texts.get("download.peers"), { count: String(lastPeers.length) });
        renderPeers();
    }

    // Endpoints come from the network: they are shown as text, never as markup.
    function renderPeers() {
        var body = element("downloadPeerRows");
        body.textContent = "";
        lastPeers.forEach(function (peer) {
            var row = document.createElement("tr");
            [peer.endpoint, size(peer.downloaded), speed(peer.down), size(peer.uploaded), speed(peer.up)]
                .forEach(function (text) {
                    var cell = document.createElement("td");
                    cell.textContent = text;
                    row.appendChild(cell);
                });
            body.appendChild(row);
        });
        element("downloadPeerTable").hidden = lastPeers.length === 0;
    }

    function begin(kind) {
        current = kind;
        lastProgress = null;
        lastPeers = [];
        element("download").hidden = false;
        showState("download.starting", "");
        render();
    }

    function update(key, look) {
        if (!current) return;
        showState(key, look);
    }

    function finish(key) {
        if (!current) return;
        if (lastProgress) {
            lastProgress.percent = 100;
            lastProgress.done = lastProgress.total;
            lastProgress.down = 0;
        }
        showState(key, "done");
        render();
    }

    function fail(key) { update(key, "failed"); }

    App.module("Downloader", {
        OnChecking: function () { update("download.checking", ""); },
        OnConnecting: function () { update("download.connecting", ""); },
        OnPeersLost: function () { update("download.peerslost", "lost"); },
        // percent, bytes done, total bytes, download and upload rates, bytes uploaded
        OnProgress: function (percent, done, total, down, up) {
            if (!current) begin("patch");
            lastProgress = { percent: percent, done: number(done), total: number(total),
                             down: number(down), up: number(up) };
            // A report after peers were lost says whether bytes flow again.
            if (number(down) > 0 || stateKey !== "download.peerslost") showState("download.downloading", "");
            render();
        },
        // Five texts per peer: endpoint, downloaded, download speed, uploaded, upload speed.
        OnPeersInfo: function () {
            var args = Array.prototype.slice.call(arguments);
            lastPeers = [];
            for (var i = 0; i + 4 < args.length && lastPeers.length < kMaxPeers; i += 5) {
                lastPeers.push({ endpoint: args[i], downloaded: number(args[i + 1]), down: number(args[i + 2]),
                                 uploaded: number(args[i + 3]), up: number(args[i + 4]) });
            }
            render();
        }
    });

    App.module("Launcher", {
        OnDiskSpaceError: function () {
            if (!current) begin("patch");
            fail("download.diskspace");
        }
    });

    App.module("Patching", {
        OnAnswer: function (tooOld) {
            if (tooOld !== "true" && arguments.length > 1) App.send(300);
        },
        OnDownloadStart: function () { begin("patch"); },
        OnDownloadComplete: function () { finish("download.complete.patch"); },
        OnTorrentError: function () { fail("download.torrenterror"); },
        OnDownloadCompleteTimeout: function () { fail("download.timeout"); }
    });

    App.module("Repair", {
        OnDownloadStart: function () {
            begin(expected || "repair");
            expected = "";
        },
        OnDownloadComplete: function () { finish("download.complete." + (current || "repair")); },
        OnError: function () { fail("download.error"); }
    });

    App.module("LauncherDownload", {
        // The launcher for a reinstall of the game, or for its own update.
        OnStartFilesDownload: function () { begin(LauncherUpdate.mode() === "2" ? "reinstall" : "launcher"); },
        OnFinishFilesDownload: function () { finish("download.complete." + (current || "launcher")); },
        OnTorrentError: function () { fail("download.torrenterror"); },
        OnDownloadCompleteTimeout: function () { fail("download.timeout"); }
    });

    App.module("Locale", { OnLoad: function () { window.setTimeout(render, 0); } });

    return { begin: begin, finish: finish, fail: fail, expect: function (kind) { expected = kind; },
             kind: function () { return current; } };
})();
