Texts.define("en", {
    "launcherupdate.installing": "Installing the new launcher",
    "launcherupdate.updated": "The new launcher is installed. Restarting…",
    "launcherupdate.failed": "The new launcher could not be installed.",
    "launcherupdate.locked": "These files are in use. Close the programs that use them and try again:",
    "launcherupdate.done": "The launcher has been updated.",
    "launcherupdate.needed": "A new version of the launcher is available. It is needed to update the game.",
    "launcherupdate.download": "Download the new launcher",
    "launcherupdate.retry": "Try again",
    "launcherupdate.fetching": "Asking the update server for the new launcher",
    "launcherupdate.torrent": "The new launcher cannot be downloaded: its description is damaged or cannot be saved.",
    "launcherupdate.stuck": "The download of the new launcher does not finish.",
    "launcherupdate.network.3": "The connection to the update server broke off.",
    "launcherupdate.network.6": "The update server's address cannot be found.",
    "launcherupdate.network.8": "The update server cannot be reached.",
    "launcherupdate.network.9": "The update server does not answer.",
    "launcherupdate.network.other": "The update server cannot be reached.",
    "launcherupdate.server.other": "The update server has no new launcher to offer."
});
