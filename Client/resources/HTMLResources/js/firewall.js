// The firewall dialog's page: it asks the launcher for the user's language (10),
// shows its texts in it, and answers with 77 (accept, or go on) or 1002 (cancel).
(function () {
    document.addEventListener("DOMContentLoaded", function () {
        Texts.use("");
        Texts.apply();
        document.querySelectorAll("[data-command]").forEach(function (button) {
            button.addEventListener("click", function () { App.send(button.getAttribute("data-command")); });
        });
        document.addEventListener("contextmenu", function (event) { event.preventDefault(); });
        document.addEventListener("dragstart", function (event) { event.preventDefault(); });
        document.addEventListener("keydown", function (event) {
            if (event.key === "Escape") App.send(1002);
        });
    });

    App.onReady(function () { App.send(10); });

    App.module("FWLocale", {
        OnLoad: function (locale) {
            Texts.use(locale);
            Texts.apply();
            document.getElementById("accept").focus();
        }
    });
})();
