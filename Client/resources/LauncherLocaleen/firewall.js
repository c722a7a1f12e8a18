Texts.define("en", {
    "fw.title": "Brennic Online",
    "fw.close": "Close",
    "fw.ask.heading": "Allow incoming connections?",
    "fw.ask.text": "Game updates also come from other players. For them to connect to the launcher, the firewall must let its ports through. The system may ask for an administrator's password.",
    "fw.ports": "Ports 6968–6978, TCP and UDP",
    "fw.ask.accept": "Allow",
    "fw.ask.decline": "Not now",
    "fw.post.text": "The ports 6968–6978 could not be opened in the firewall. Updates will still download, but more slowly.",
    "fw.post.accept": "Continue",
    "fw.post.exit": "Exit"
});
