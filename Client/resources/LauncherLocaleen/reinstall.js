Texts.define("en", {
    "reinstall.run": "Reinstall the game",
    "reinstall.title": "Reinstall the game?",
    "reinstall.text": "The launcher downloads a new copy of itself, closes, and the new copy installs itself in the game folder.",
    "reinstall.keeps": "Kept: your settings and logs in Personal/, and your mods in data/mods/.",
    "reinstall.replaces": "Replaced: the launcher and the description of the game. Every other file in the game folder is deleted; afterwards Check files and Repair download the game again.",
    "reinstall.yes": "Reinstall",
    "reinstall.no": "Cancel"
});
