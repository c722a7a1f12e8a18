Texts.define("en", {
    "hub.connecting": "Connecting to the game hub…",
    "hub.lost": "The link to the game hub was lost. Reconnecting…",
    "hub.connectfail": "The launcher cannot link to the game hub. Restart the launcher; if that does not help, reinstall the game hub.",
    "hub.downloading": "The game hub is downloading the game. Play becomes available once the required parts are in place.",
    "hub.ready": "Ready to play. The rest of the game is downloading meanwhile.",
    "hub.checking": "The game hub's progress shows again after the file check and repair.",
    "hub.finished": "The game is downloaded. Ready to play."
});
