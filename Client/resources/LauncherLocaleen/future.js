Texts.define("en", {
    "panel.future": "Next update in advance",
    "future.offered.on": "The next version of the game is announced. Its update is downloaded in advance while you play.",
    "future.offered.off": "The next version of the game is announced. To download its update in advance while you play, turn on “Download future updates in advance” in the settings.",
    "future.asking": "Asking the update server for the next update…",
    "future.downloading": "Downloading the update to version %s in advance, at the speed limits for the running game.",
    "future.ready": "The update to version %s is downloaded. Once it is released, the launcher offers to install it at its start, without downloading it again.",
    "future.none": "There is nothing to download in advance.",
    "future.failed.request": "The update server could not be asked for the next update. The launcher tries again the next time the game runs.",
    "future.failed.download": "The download in advance stopped. The launcher tries again the next time the game runs.",
    "future.interrupted": "The download in advance was interrupted. It goes on from where it stopped the next time the game runs."
});
