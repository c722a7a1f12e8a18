Texts.define("en", {
    "title": "Brennic Online",
    "minimise": "Minimise",
    "exit": "Exit",
    "status.starting": "Starting…",
    "status.connected": "Connected",
    "status.ready": "Ready",
    "language.ru": "Русский",
    "language.en": "English",
    "site": "Game site",
    "option.progressive": "false"
});
