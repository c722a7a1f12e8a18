#pragma once
// The version of the web engine the pages run in.
struct WebKitVersionNumber {
    unsigned major = 0;
    unsigned minor = 0;
};

// The version of the WebKitGTK library the program runs with (not the one it was
// built against).
WebKitVersionNumber RunningWebKitVersion();
