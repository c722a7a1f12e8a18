// The game start: the login fields (shown when the text table's "option.login" is
// "true"), the Play button and the start's progress and outcome. Play creates the
// game step (70), refreshes the payment updater when the edition has one
// ("option.epay", 770), then starts the game (700, "LOGIN<=>PASSWORD").
//
// While a demo fetches its full version (the demo state "2"), that download runs on
// the game step: Play then uses the step there and never makes a new one.
(function () {
    var starting = false;
    var keepStep = false;
    var stepMade = false;

    function element(id) { return document.getElementById(id); }

    function showState(key, code) {
        var line = element("gameState");
        line.setAttribute("data-text", key);
        line.textContent = key ? Texts.get(key).replace("%s", code === undefined ? "" : code) : "";
    }

    function loginShown() { return Texts.get("option.login") === "true"; }

    function finish(key, code) {
        starting = false;
        element("gamePlay").disabled = false;
        showState(key, code);
    }

    function play() {
        // Enter in the password field, too, waits while Play cannot be pressed.
        if (starting || element("gamePlay").disabled) return;
        starting = true;
        element("gamePlay").disabled = true;
        showState("game.preparing");
        if (keepStep && stepMade) ready();
        else App.send(70);
    }

    // The game step is there: refresh the payment updater first when the edition has one.
    function ready() {
        if (Texts.get("option.epay") === "true") App.send(770);
        else start();
    }

    function start() {
        if (!starting) return;
        var argument = loginShown() ? element("gameLoginName").value + "<=>" + element("gamePassword").value : "";
        App.send(700, argument);
    }

    document.addEventListener("DOMContentLoaded", function () {
        element("gamePlay").addEventListener("click", play);
        element("gamePassword").addEventListener("keydown", function (event) {
            if (event.key === "Enter") play();
        });
    });

    App.onReady(function () { element("gameLogin").hidden = !loginShown(); });

    App.module("Locale", {
        // The table of the chosen locale may offer the fields or not.
        OnLoad: function () { element("gameLogin").hidden = !loginShown(); }
    });

    App.module("App", {
        SetDemoState: function (state) { keepStep = keepStep || state === "2"; }
    });

    App.module("Launcher", {
        SetLogin: function (login) { element("gameLoginName").value = login; }
    });

    App.module("Game", {
        OnEpayCheck: function () {
            stepMade = true;
            if (starting) ready();
        },
        OnReady: start,
        OnPreRun: function () { showState("game.starting"); },
        OnRun: function () { finish("game.running"); },
        OnStartError: function (code) {
            var known = code === "-1" || code === "-2";
            finish(known ? "game.error." + code : "game.error", code);
        }
    });
})();
