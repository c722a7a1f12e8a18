// The page's half of the launcher protocol. Commands go out through App.send only;
// events come in through MessageProc and are handed to the module named before the
// event's dot ("Patching.OnAnswer" -> module "Patching", handler "OnAnswer"). Events
// without a dot belong to the module "App".
var App = (function () {
    var modules = {};
    // A step that runs beside its usual one may speak that one's module: its events go
    // to a module of their own while the detour stands.
    var detours = {};
    var readyHandlers = [];
    var ready = false;

    function post(text) {
        var handlers = window.webkit && window.webkit.messageHandlers;
        if (handlers && handlers.app) {
            handlers.app.postMessage(text);
        } else {
            window.location.href = "app:" + text;
        }
    }

    // "CODE" or "CODE@ARGUMENT"; the argument may itself contain '@'. A code that is no
    // positive whole number is the page's own fault and goes nowhere: the launcher would
    // read it as 0, which releases whatever step runs (a check, a download).
    function send(code, argument) {
        var number = Number(code);
        if (code === null || code === "" || !Number.isInteger(number) || number <= 0) {
            console.error("App.send: not a command code:", code);
            return;
        }
        var text = String(number);
        if (argument !== undefined && argument !== null) text += "@" + String(argument);
        post(text);
    }

    // Several scripts may handle one event: every handler given for it runs, in the
    // order the scripts gave them.
    function module(name, handlers) {
        var table = modules[name] || (modules[name] = {});
        Object.keys(handlers).forEach(function (event) {
            (table[event] || (table[event] = [])).push({ handler: handlers[event], self: handlers });
        });
    }

    // From now on the events of module `from` go to module `to`; a null `to` ends the detour.
    function reroute(from, to) {
        if (to) detours[from] = String(to);
        else delete detours[from];
    }

    function onReady(handler) {
        if (ready) handler();
        else readyHandlers.push(handler);
    }

    function run(handler, self, args) {
        try {
            handler.apply(self, args);
        } catch (error) {
            // One broken handler must not stop the others, nor the handshake.
            console.error(error);
        }
    }

    function dispatch(name, args) {
        if (name === "AppReady") {
            // The launcher waits for this answer before anything else.
            send(666);
            ready = true;
            readyHandlers.splice(0).forEach(function (handler) { run(handler, null, []); });
            return;
        }
        var dot = name.indexOf(".");
        var moduleName = dot < 0 ? "App" : name.slice(0, dot);
        var eventName = dot < 0 ? name : name.slice(dot + 1);
        var own = Object.prototype.hasOwnProperty;
        if (own.call(detours, moduleName)) moduleName = detours[moduleName];
        var table = own.call(modules, moduleName) ? modules[moduleName] : null;
        var entries = table && own.call(table, eventName) ? table[eventName] : [];
        entries.forEach(function (entry) {
            if (typeof entry.handler === "function") run(entry.handler, entry.self, args);
        });
    }

    return { send: send, module: module, reroute: reroute, onReady: onReady, dispatch: dispatch,
             isReady: function () { return ready; } };
})();

// Called by the launcher with one array: the event's name, then its arguments.
function MessageProc(event) {
    var items = event && typeof event.toArray === "function" ? event.toArray() : event;
    if (!items || !items.length) return;
    App.dispatch(String(items[0]), Array.prototype.slice.call(items, 1).map(String));
}
