#pragma once
// The launcher's real window on the headless page host, for the tests that run a whole
// road: a blank start page, a page that hands the test each event the program sends it,
// and the window's modal run, ended with -99 once it runs past a guard time.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <glib.h>

#include "platform/headless/FakePage.h"
#include "platform/headless/HeadlessPageView.h"
#include "shell/html/HTMLViewer.h"
#include "support/JsonStrings.h"

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
