#pragma once
// The launcher's real window on the headless page host, for the tests that run a whole
// road: a blank start page, a page that hands the test each event the program sends it,
// and the window's modal run, ended with -99 once it runs past a guard time.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <glib.h>
#include <stdlib.h>
#include <unistd.h>

#include "platform/headless/FakePage.h"
#include "platform/headless/HeadlessPageView.h"
#include "platform/headless/HeadlessToolkit.h"
#include "shell/html/HTMLViewer.h"
#include "support/GameTree.h"
#include "support/JsonStrings.h"
#include "support/TempDir.h"

inline constexpr char kRoadStartUrl[] = "vfs://Launcher/res/launcher.htm";

// Serves an empty document at the start address and nothing else.
struct BlankStartPage : IUriSchemeHandler {
    UriSchemeResponse Handle(const std::string& uri) override {
        UriSchemeResponse response;
        response.found = uri == kRoadStartUrl;
        if (response.found) response.body = std::make_shared<const std::string>("<html></html>");
        return response;
    }
};

// Keeps the window's per-user folders under home, serves the blank start page, and
// enters the game's bin folder: the launcher runs there, the game root one up.
inline void EnterRoadGame(HeadlessToolkit& toolkit, const TempDir& home, const GameTree& game) {
    setenv("XDG_RUNTIME_DIR", home.Path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    ASSERT_TRUE(toolkit.RegisterUriScheme("vfs", std::make_shared<BlankStartPage>()));
    ASSERT_EQ(chdir((game / "bin").c_str()), 0);
}

// The page's side of the window: every event the program sends (a MessageProc call),
// as its name and then its arguments. Any other call has no function on the page.
struct EventPage : IFakePage {
    bool OnCall(HeadlessPageView& view, const std::string& function, const std::string& args,
                std::string& error) final {
        if (function != "MessageProc") {
            error = "ReferenceError";
            return false;
        }
        std::vector<std::u16string> event;
        EXPECT_TRUE(ParseJsonNestedStringArray(args, event)) << args;
        if (!event.empty()) OnEvent(view, event);
        return true;
    }

    virtual void OnEvent(HeadlessPageView& view, const std::vector<std::u16string>& event) = 0;
};

// The window's modal run; -99 when it has not ended within guardMs.
inline int RunWindowBounded(HTMLViewer& window, guint guardMs) {
    const guint guard = g_timeout_add(guardMs, [](gpointer w) {
        static_cast<HTMLViewer*>(w)->EndDialog(-99);
        return G_SOURCE_REMOVE;
    }, &window);
    const int code = window.DoModal();
    if (code != -99) g_source_remove(guard);
    return code;
}
