// The page's own texts, one table per locale. Elements name their text with
// data-text (content) or data-title (tooltip); apply() fills them in. A locale's
// table may come in parts: each define() adds its keys to the ones before.
var Texts = (function () {
    var tables = {};
    var fallback = "ru";
    var current = fallback;

    function define(locale, table) { tables[locale] = Object.assign(tables[locale] || {}, table); }

    function has(locale) { return Object.prototype.hasOwnProperty.call(tables, locale); }

    // Unknown or empty locales fall back to Russian, the game's first language.
    function use(locale) {
        current = has(locale) ? locale : fallback;
        return current;
    }

    function get(key) {
        var table = tables[current] || {};
        if (Object.prototype.hasOwnProperty.call(table, key)) return table[key];
        var base = tables[fallback] || {};
        return Object.prototype.hasOwnProperty.call(base, key) ? base[key] : key;
    }

    // The key of a code's own text when the table has one, else the prefix's general one.
    function coded(prefix, code) {
        var key = prefix + code;
        return get(key) !== key ? key : prefix + "other";
    }

    function apply(root) {
        var scope = root || document;
        scope.querySelectorAll("[data-text]").forEach(function (element) {
            element.textContent = get(element.getAttribute("data-text"));
        });
        scope.querySelectorAll("[data-title]").forEach(function (element) {
            element.title = get(element.getAttribute("data-title"));
        });
        document.documentElement.lang = current;
    }

    // Items from the disk or a server: shown as text, never as markup. An empty list is hidden.
    function list(element, items) {
        element.textContent = "";
        items.forEach(function (text) {
            var item = document.createElement("li");
            item.textContent = text;
            element.appendChild(item);
        });
        element.hidden = items.length === 0;
    }

    return { define: define, has: has, use: use, get: get, coded: coded, apply: apply, list: list,
             locale: function () { return current; },
             fallback: function () { return fallback; } };
})();
