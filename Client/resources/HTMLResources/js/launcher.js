// The launcher's main page: the window frame, the language choice, the status line,
// and how the activity column's panels show what goes on.
//
// Layout is shared by every panel: the panel that last had news (below) is the
// current one and is scrolled into view, and the keys of its status texts (its
// [role=status] elements) give it a tone: the gravest of busy, ok, warning and error. Scripts with
// texts of their own add their keys' tones with Layout.tones({ "prefix.": "error" }).
var Layout = (function () {
    // The longest matching prefix wins.
    var tones = {
        "patching.asking": "busy", "patching.tooold": "error",
        "patching.uptodate": "ok", "patching.future": "ok", "patching.launcher": "warning",
        "patching.network.": "error", "patching.server.": "error",
        "fullcheck.running": "busy", "fullcheck.valid": "ok", "fullcheck.damaged": "warning",
        "fullcheck.systemcrash": "error", "fullcheck.noversion": "error",
        "fastcheck.running": "busy", "fastcheck.valid": "ok", "fastcheck.damaged": "warning",
        "fastcheck.noanswer": "warning",
        "hub.connecting": "busy", "hub.downloading": "busy", "hub.ready": "ok", "hub.finished": "ok",
        "hub.lost": "error", "hub.connectfail": "error", "hub.checking": "busy",
        "future.offered.": "ok", "future.asking": "busy", "future.downloading": "busy", "future.ready": "ok",
        "future.none": "ok", "future.failed.": "warning", "future.interrupted": "warning",
        "game.preparing": "busy", "game.starting": "busy", "game.running": "ok", "game.error": "error",
        "download.starting": "busy", "download.checking": "busy", "download.connecting": "busy",
        "download.downloading": "busy", "download.peerslost": "warning", "download.diskspace": "error",
        "download.torrenterror": "error", "download.error": "error", "download.timeout": "error",
        "download.complete.": "ok",
        "repair.asking": "busy", "repair.downloading": "busy", "repair.moving": "busy",
        "repair.versionrepaired": "busy", "repair.peerslost": "warning", "repair.success": "ok",
        "repair.fail.": "error", "repair.saveerror": "error", "repair.error": "error",
        "repair.launcher": "error", "repair.diskspace": "error",
        "launcherupdate.installing": "busy", "launcherupdate.fetching": "busy", "launcherupdate.updated": "ok",
        "launcherupdate.done": "ok", "launcherupdate.needed": "warning", "launcherupdate.locked": "error",
        "launcherupdate.failed": "error", "launcherupdate.torrent": "error", "launcherupdate.stuck": "error",
        "launcherupdate.network.": "error", "launcherupdate.server.": "error",
        "road.running": "busy", "road.initial.checking": "busy", "road.attributes.running": "busy",
        "road.request.asking": "busy", "road.noanswer": "error", "road.initial.repair": "error",
        "road.attributes.readonly": "error", "road.attributes.unknown": "error", "road.request.tooold": "error",
        "road.request.failed": "error", "patching.downloaded": "ok", "patching.installing": "busy",
        "patching.applyfailed": "error",
        "full.restarting": "busy", "full.preparing": "busy", "full.requesting": "busy",
        "full.downloading": "busy", "full.installing": "busy", "full.installed": "ok",
        "full.servererror": "error", "full.logicerror": "error", "full.installfailed": "error"
    };
    // The gravest tone wins when a panel has several status lines.
    var GRAVITY = ["", "ok", "busy", "warning", "error"];

    function toneOf(key) {
        var best = "";
        Object.keys(tones).forEach(function (prefix) {
            if (key.lastIndexOf(prefix, 0) === 0 && prefix.length > best.length) best = prefix;
        });
        return best ? tones[best] : "";
    }

    // The keys of the panel's status lines that show a text.
    function statusKeys(box) {
        var keys = [];
        box.querySelectorAll("[role=status]").forEach(function (status) {
            if (status.textContent && status.getAttribute("data-text")) keys.push(status.getAttribute("data-text"));
        });
        return keys;
    }

    function gravest(keys) {
        return keys.map(toneOf).reduce(function (worst, tone) {
            return GRAVITY.indexOf(tone) > GRAVITY.indexOf(worst) ? tone : worst;
        }, "");
    }

    // Setting an attribute is a change even when its value stays: only real changes
    // are made, so that the observer does not wake itself.
    function setHidden(element, hidden) {
        if (element.hidden !== hidden) element.hidden = hidden;
    }

    // Only the tone set here is taken away again: a panel's own script may set
    // classes of the same names.
    function paint(box) {
        var keys = statusKeys(box);
        var tone = gravest(keys);
        if (box.layoutTone !== tone) {
            if (box.layoutTone) box.classList.remove(box.layoutTone);
            if (tone) box.classList.add(tone);
            box.layoutTone = tone;
        }
        if (box.hasAttribute("data-auto") && keys.length) setHidden(box, false);
    }

    function makeCurrent(panel) {
        if (panel.hidden) return;
        document.querySelectorAll("#activity > section.current").forEach(function (other) {
            if (other !== panel) other.classList.remove("current");
        });
        panel.classList.add("current");
        panel.scrollIntoView({ block: "nearest" });
    }

    // A panel has news when a text's key changes or a part of it is shown or hidden.
    // Content alone is none: progress ticks many times a second, and a language switch
    // rewrites every text; neither takes the place of the current panel.
    function onMutations(mutations) {
        var changed = [];
        mutations.forEach(function (mutation) {
            var target = mutation.target.nodeType === 1 ? mutation.target : mutation.target.parentNode;
            if (!target || !target.closest) return;
            var box = target.closest("#activity > section");
            if (!box) return;
            if (changed.indexOf(box) < 0) changed.push(box);
            if (mutation.type === "attributes" &&
                mutation.oldValue !== target.getAttribute(mutation.attributeName)) box.layoutNews = true;
        });
        changed.forEach(function (box) {
            paint(box);
            if (box.layoutNews) makeCurrent(box);
            box.layoutNews = false;
        });
    }

    function start() {
        document.querySelectorAll("#activity > section").forEach(paint);
        new MutationObserver(onMutations).observe(document.body, {
            subtree: true, childList: true, characterData: true, attributes: true, attributeOldValue: true,
            attributeFilter: ["data-text", "hidden"]
        });
    }

    return {
        start: start,
        tones: function (table) { Object.assign(tones, table); }
    };
})();

// The window's cancel: Escape in the page, or "App.OnCancel", the Escape that a framed
// window's page left to the window. The top layer that can be closed closes (a layer
// added later lies higher); a question that waits for its answer stays open. An Escape
// that closed something is the page's: the window's own cancel action does not follow.
var Cancel = (function () {
    var layers = [];

    function add(isOpen, close) { layers.push({ isOpen: isOpen, close: close }); }

    function run() {
        for (var i = layers.length - 1; i >= 0; --i) {
            if (layers[i].isOpen()) {
                layers[i].close();
                return true;
            }
        }
        return false;
    }

    document.addEventListener("keydown", function (event) {
        if (event.key === "Escape" && run()) event.preventDefault();
    });
    App.module("App", { OnCancel: run });

    return { add: add };
})();

(function () {
    var mainSite = "";
    var prefsRequested = false;
    // The server list as last told to the launcher: "SWITCH|ADDRESS", "" before.
    var serverList = "";

    function setStatus(key) {
        var status = document.getElementById("status");
        status.setAttribute("data-text", key);
        status.textContent = Texts.get(key);
    }

    // An edition whose text table names a server list has the update road fetch it
    // (11): before the road asks the update server, and again when another table
    // says otherwise.
    function sendServerList() {
        var address = Texts.get("option.srvlist");
        if (address === "option.srvlist") address = "";
        var argument = (address ? "true" : "false") + "|" + address;
        if (argument === serverList || (!serverList && !address)) return;
        serverList = argument;
        App.send(11, argument);
    }

    function markLocale() {
        document.querySelectorAll("[data-locale]").forEach(function (link) {
            link.classList.toggle("current", link.getAttribute("data-locale") === Texts.locale());
        });
    }

    document.addEventListener("DOMContentLoaded", function () {
        Layout.start();
        Texts.use("");
        Texts.apply();
        markLocale();
        document.querySelectorAll("[data-command]").forEach(function (button) {
            button.addEventListener("click", function () { App.send(button.getAttribute("data-command")); });
        });
        document.querySelectorAll("[data-locale]").forEach(function (link) {
            link.addEventListener("click", function (event) {
                event.preventDefault();
                App.send(100, link.getAttribute("data-locale"));
            });
        });
        document.getElementById("mainSite").addEventListener("click", function (event) {
            event.preventDefault();
            if (mainSite) window.location.href = "OPEN_HREF:" + mainSite;
        });
        // An application, not a browser: no page menu, no dragging of images or links.
        document.addEventListener("contextmenu", function (event) {
            if (!event.target.closest("input, textarea")) event.preventDefault();
        });
        document.addEventListener("dragstart", function (event) { event.preventDefault(); });
    });

    // Actions that the road offers when they are due (Install) are the window's primary
    // ones: they stand beside Play. Their scripts have made them by now.
    App.onReady(function () {
        var primary = document.getElementById("primaryActions");
        ["patchInstall"].forEach(function (id) {
            var action = document.getElementById(id);
            if (!action) return;
            action.classList.add("primary");
            primary.insertBefore(action, document.getElementById("gamePlay"));
        });
    });

    App.onReady(function () {
        App.send(10);  // the stored locale comes back as Locale.OnLoad
        // The launcher echoes a frame's load as Launcher.OnFrameLoad: the status line
        // then shows that the program answers.
        App.send(7835, "launcher");
    });

    App.module("Launcher", {
        OnFrameLoad: function (frame) {
            var status = document.getElementById("status");
            if (frame === "launcher" && status.getAttribute("data-text") === "status.starting") {
                setStatus("status.connected");
            }
        }
    });

    App.module("Locale", {
        SetMainSite: function (site) {
            mainSite = site;
            document.getElementById("mainSite").hidden = !site;
        },
        OnLoad: function (locale) {
            // A locale the page has no texts for is replaced by its first language,
            // which comes back as another Locale.OnLoad.
            if (!Texts.has(locale)) {
                App.send(100, Texts.fallback());
                return;
            }
            Texts.use(locale);
            Texts.apply();
            markLocale();
            sendServerList();
            if (!prefsRequested) {
                prefsRequested = true;
                App.send(20, Texts.get("option.progressive") === "true" ? "true" : "false");
            }
            setStatus("status.ready");
        }
    });

    App.module("App", {
        OnWindowActiveStateChanged: function (active) {
            document.body.classList.toggle("inactive", active !== "1");
        }
    });
})();
