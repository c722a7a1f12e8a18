// The launcher's main page: the window frame, the language choice and the status line.
(function () {
    var mainSite = "";
    var prefsRequested = false;

    function setStatus(key) {
        var status = document.getElementById("status");
        status.setAttribute("data-text", key);
        status.textContent = Texts.get(key);
    }

    function markLocale() {
        document.querySelectorAll("[data-locale]").forEach(function (link) {
            link.classList.toggle("current", link.getAttribute("data-locale") === Texts.locale());
        });
    }

    document.addEventListener("DOMContentLoaded", function () {
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
