// The "Firewall" tool (2000) opens the system's firewall settings where it has them
// (firewall-config). Where it has none the launcher says so ("Launcher.
// OnFirewallSettingsMissing" with the first and the last of its listen ports), and a
// panel tells the player which ports the system's firewall must admit.
(function () {
    var ports = null;

    function element(id) { return document.getElementById(id); }

    function render() {
        if (!ports) return;
        element("firewallPorts").textContent =
            Texts.get("firewall.ports").replace("{first}", ports.first).replace("{last}", ports.last);
    }

    Layout.tones({ "firewall.": "warning" });

    document.addEventListener("DOMContentLoaded", function () {
        // The button's data-command sends 2000; an answer that the tool is missing
        // shows the panel again.
        element("firewallOpen").addEventListener("click", function () { element("firewall").hidden = true; });
    });

    App.module("Launcher", {
        OnFirewallSettingsMissing: function (first, last) {
            ports = { first: first, last: last };
            var state = element("firewallState");
            state.setAttribute("data-text", "firewall.missing");
            state.textContent = Texts.get("firewall.missing");
            render();
            element("firewall").hidden = false;
        }
    });

    // The page's texts are filled in anew for another language: the ports go back in.
    App.module("Locale", { OnLoad: function () { window.setTimeout(render, 0); } });
})();
