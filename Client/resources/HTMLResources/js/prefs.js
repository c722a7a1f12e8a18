// The preferences panel: the nine fields with their defaults, the resolution list of
// the display, Apply (202) and Reset (201). The launcher sends the fields as
// "Prefs.OnLoad": each one's current value then its default, then the modes. Other
// scripts read what is saved with Prefs.saved(FIELD) ("1"/"0" for a flag, "" before
// the launcher has told).
var Prefs = (function () {
    // The launcher's order of the fields, and how each is shown.
    var FIELDS = [
        ["isGameMovementMouse", "flag"], ["isSoundMute", "flag"], ["isGfxFullscreen", "flag"],
        ["gfxQuality", "quality"], ["gfxScreen", "mode"], ["patchSaveSize", "number"],
        ["isFutureUpdates", "flag"], ["downLimitGameActive", "number"], ["downLimitGameRun", "number"]
    ];
    var defaults = null;
    var modes = [];
    // What the settings file holds, and what Apply sent until the launcher confirms it.
    var saved = {};
    var applying = null;

    function element(id) { return document.getElementById(id); }
    // "1280x1024" as the player reads it.
    function modeText(mode) { return mode.replace("x", " \u00D7 "); }
    function control(name) { return element("prefsForm").elements[name]; }

    function showStatus(key) {
        var status = element("prefsStatus");
        status.setAttribute("data-text", key);
        status.textContent = key ? Texts.get(key) : "";
        status.classList.toggle("error", key === "prefs.error" || key === "prefs.invalid");
    }

    function setEnabled(enabled) {
        element("prefsForm").querySelectorAll("input, select").forEach(function (input) { input.disabled = !enabled; });
        element("prefsApply").disabled = !enabled;
    }

    function fill(values) {
        FIELDS.forEach(function (field) {
            var input = control(field[0]);
            if (field[1] === "flag") input.checked = values[field[0]] === "1";
            else input.value = values[field[0]];
        });
    }

    function read() {
        return FIELDS.map(function (field) {
            var input = control(field[0]);
            return field[1] === "flag" ? (input.checked ? "1" : "0") : String(input.value);
        });
    }

    function byName(values) {
        var record = {};
        FIELDS.forEach(function (field, i) { record[field[0]] = values[i]; });
        return record;
    }

    // "Default: yes", "Default: automatic", "Default: 1280x1024": texts that a language
    // switch renews carry their key, the rest is shown as it stands.
    function showDefaults() {
        FIELDS.forEach(function (field) {
            var value = document.querySelector('[data-default="' + field[0] + '"] .value');
            var text = defaults[field[0]];
            var key = field[1] === "flag" ? (text === "1" ? "prefs.yes" : "prefs.no")
                    : field[1] === "quality" ? "prefs.quality." + text : null;
            if (key) {
                value.setAttribute("data-text", key);
                value.textContent = Texts.get(key);
            } else {
                value.removeAttribute("data-text");
                value.textContent = field[1] === "mode" ? modeText(modes[Number(text)] || "") : text;
            }
        });
    }

    function showModes() {
        var select = control("gfxScreen");
        select.textContent = "";
        modes.forEach(function (mode, index) {
            var option = document.createElement("option");
            option.value = String(index);
            option.textContent = modeText(mode);
            select.appendChild(option);
        });
    }

    function open(show) {
        element("prefsPanel").hidden = !show;
        if (show && !defaults && !element("prefsStatus").getAttribute("data-text")) showStatus("prefs.loading");
    }

    document.addEventListener("DOMContentLoaded", function () {
        setEnabled(false);
        element("prefsOpen").addEventListener("click", function (event) {
            event.preventDefault();
            open(element("prefsPanel").hidden);
        });
        element("prefsClose").addEventListener("click", function () { open(false); });
        Cancel.add(function () { return !element("prefsPanel").hidden; }, function () { open(false); });
        element("prefsApply").addEventListener("click", function () {
            if (!element("prefsForm").checkValidity()) {
                showStatus("prefs.invalid");
                return;
            }
            applying = read();
            App.send(202, applying.join(":"));
        });
        element("prefsReset").addEventListener("click", function () { App.send(201); });
        // Enter in a field applies; the form itself never submits.
        element("prefsForm").addEventListener("submit", function (event) { event.preventDefault(); });
    });

    App.module("Prefs", {
        OnLoad: function () {
            var args = Array.prototype.slice.call(arguments);
            var current = {};
            defaults = {};
            FIELDS.forEach(function (field, i) {
                current[field[0]] = args[2 * i];
                defaults[field[0]] = args[2 * i + 1];
            });
            modes = args.slice(2 * FIELDS.length);
            saved = current;
            showModes();
            fill(current);
            showDefaults();
            setEnabled(true);
            showStatus("");
        },
        OnError: function () {
            setEnabled(false);
            showStatus("prefs.error");
        },
        OnApply: function () {
            if (applying) saved = byName(applying);
            applying = null;
            showStatus("prefs.applied");
        },
        OnReset: function () {
            if (defaults) {
                fill(defaults);
                saved = Object.assign({}, defaults);
            }
            showStatus("prefs.wasReset");
        }
    });

    return {
        saved: function (name) { return Object.prototype.hasOwnProperty.call(saved, name) ? saved[name] : ""; }
    };
})();
