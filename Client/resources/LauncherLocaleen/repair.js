Texts.define("en", {
    "repair.run": "Repair",
    "repair.version": "Repair the version file",
    "repair.asking": "Asking the update server for the repair files…",
    "repair.downloading": "Downloading the damaged files…",
    "repair.moving": "Putting the repaired files in place…",
    "repair.success": "The game files are repaired.",
    "repair.fail.0": "The repair failed: a downloaded file is missing or damaged. Check the files again.",
    "repair.fail.1": "The repair failed: there is not enough free disk space.",
    "repair.fail.2": "The repair was stopped: a game file stayed locked.",
    "repair.file.0": "(repaired)",
    "repair.versionrepaired": "The version file is repaired. Checking the files again…",
    "repair.saveerror": "The version file cannot be written.",
    "repair.launcher": "Files of the launcher itself are damaged. Reinstall the game.",
    "repair.locked.title": "A game file is in use",
    "repair.locked.text": "This file cannot be replaced. Close the game and every program that may use it, then try again.",
    "repair.locked.retry": "Try again",
    "repair.locked.abort": "Stop the repair"
});
