// The real page in the real WebKitGTK, on a private Xvfb display: the start handshake,
// one command and one event through the launcher's own page, event texts that reach a
// page's JSON.parse exactly, and a window that shows vfs: pages only. Skipped when no
// display can be had.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <glib.h>

#include "platform/gtk/GtkToolkit.h"
#include "shell/html/HtmlDialog.h"
#include "shell/SourcePageOnXvfb.h"
#include "support/FileBytes.h"
#include "support/JsonStrings.h"
#include "support/LoopbackHttpServer.h"
#include "support/ScopedTempFolder.h"

extern char** environ;

// GTK and WebKit keep process-long caches that LeakSanitizer would report.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libgtk-3\nleak:libgdk-3\nleak:libwebkit2gtk\nleak:libjavascriptcoregtk\nleak:libglib-2.0\n"
           "leak:libgobject-2.0\nleak:libfontconfig\nleak:libEGL\nleak:libGLX\nleak:libgio-2.0\nleak:libdbus-1\n";
}

using WebKitPage = SourcePageOnXvfb;

TEST_F(WebKitPage, LauncherPageCompletesTheHandshakeAndRoundTripsCommandsAndEvents) {
    // Posts back what JSON.parse gave the page, so the test sees the page's view.
    files->inlinePages["Test/echo.htm"] =
        "<!DOCTYPE html><meta charset='utf-8'><script>"
        "function MessageProc(e) { var a = e.toArray();"
        "  if (a[0] === 'AppReady') { window.webkit.messageHandlers.app.postMessage('666');"
        "    window.webkit.messageHandlers.app.postMessage('1@' + JSON.stringify(a)); return; }"
        "  window.webkit.messageHandlers.app.postMessage('2@' + JSON.stringify(a)); }"
        "</script>";
    {
        PageDialog dialog(Toolkit(), &timers, "vfs://Launcher/res/launcher.htm", "");
        dialog.onCommand = [](PageDialog& d, int code, const WideString&) {
            if (code == 10) d.View().SendEventArgs(WideString(u"Locale.OnLoad"), Args({u"en"}));
            if (code == 20) d.EndDialog(2);
        };
        EXPECT_EQ(RunBounded(dialog), 2);
        EXPECT_TRUE(dialog.IsReady());
        const std::vector<std::pair<int, std::u16string>> expected = {
            {25, u""}, {10, u""}, {7835, u"launcher"}, {80, u""}, {20, u"false"}};
        EXPECT_EQ(dialog.commands, expected);
    }
    {
        PageDialog dialog(Toolkit(), &timers, "vfs://Test/echo.htm", "");
        const std::u16string tricky = u"q\"uo'te \\ </script><script>x()</script> \u2028 \U0001F600 Пётр";
        const std::u16string lone = u"a\xD800z";
        dialog.onCommand = [&](PageDialog& d, int code, const WideString&) {
            if (code == 1) {
                WideStringVector args;
                args.PushBack(WideString(tricky.data(), tricky.data() + tricky.size()));
                args.PushBack(WideString(lone.data(), lone.data() + lone.size()));
                d.View().SendEventArgs(WideString(u"Echo"), args);
            }
            if (code == 2) d.EndDialog(2);
        };
        EXPECT_EQ(RunBounded(dialog), 2);
        ASSERT_EQ(dialog.commands.size(), 2u);
        EXPECT_EQ(dialog.commands[0].second, u"[\"AppReady\"]");
        std::vector<std::u16string> echoed;
        ASSERT_TRUE(ParseJsonStringArray(String(WideString(dialog.commands[1].second.data(),
                                                            dialog.commands[1].second.data() +
                                                                dialog.commands[1].second.size()))
                                              .Std(),
                                          echoed));
        EXPECT_EQ(echoed, (std::vector<std::u16string>{u"Echo", tricky, u"a\uFFFDz"}));
    }
}

TEST_F(WebKitPage, TheWindowShowsVfsPagesOnlyInEveryFrame) {
    // Every page that is not the launcher's own tells the test at once when it is shown.
    const std::string intruder = "<!DOCTYPE html><script>window.webkit.messageHandlers.app.postMessage('5@' + location.href)"
                                 "</script>";
    LoopbackHttpServer server;
    server.Script("/", LoopbackHttpServer::Reply::Document(intruder, "HTTP/1.0 200 OK", "Content-Type: text/html\r\n"));
    server.Script("/frame", LoopbackHttpServer::Reply::Document(intruder, "HTTP/1.0 200 OK", "Content-Type: text/html\r\n"));
    ScopedTempFolder temp;
    ASSERT_TRUE(WriteWholeFile(temp / "page.htm", intruder));
    const std::string filePage = "file://" + (temp / "page.htm");

    const std::string post = "window.webkit.messageHandlers.app.postMessage";
    // Each attempt to leave is answered a while later by the page, if it is still there:
    // a page that left in the meantime answers as an intruder instead.
    files->inlinePages["Test/nav.htm"] =
        "<!DOCTYPE html><meta charset='utf-8'><body><script>"
        "function MessageProc(e) { var a = e.toArray();"
        "  if (a[0] === 'AppReady') { " + post + "('666'); " + post + "('1@' + location.href); return; }"
        "  if (a[0] === 'Frame') { var f = document.createElement('iframe'); f.src = a[1];"
        "    document.body.appendChild(f); return; }"
        "  if (a[0] === 'Go') { location.href = a[1];"
        "    setTimeout(function () { " + post + "('7@' + location.href); }, 500); }"
        "  if (a[0] === 'Open') location.href = a[1]; }"
        "</script>";
    files->inlinePages["Test/frame.htm"] = "<!DOCTYPE html><script>" + post + "('4@' + location.href)</script>";
    files->inlinePages["Test/after.htm"] = "<!DOCTYPE html><script>" + post + "('6@' + location.href)</script>";
    PageDialog dialog(Toolkit(), &timers, "vfs://Test/nav.htm", "");
    auto send = [](PageDialog& d, const char16_t* event, const std::string& address) {
        WideStringVector args;
        args.PushBack(WideString(String(address.c_str())));
        d.View().SendEventArgs(WideString(event), args);
    };
    std::vector<std::string> departures = {server.BaseUrl(), filePage};
    std::size_t next = 0;
    dialog.onCommand = [&](PageDialog& d, int code, const WideString&) {
        if (code == 1) {
            // Frames first: the network, a file, then one of the launcher's own pages.
            send(d, u"Frame", server.BaseUrl() + "frame");
            send(d, u"Frame", filePage);
            send(d, u"Frame", "vfs://Test/frame.htm");
        }
        // Then the page itself tries to leave, one address at a time, and at last goes to
        // another page of its own.
        if (code == 4 || code == 7) {
            if (next < departures.size()) send(d, u"Go", departures[next++]);
            else send(d, u"Open", "vfs://Test/after.htm");
        }
        if (code == 6 || code == 5) d.EndDialog(2);
    };
    EXPECT_EQ(RunBounded(dialog), 2);
    const std::vector<std::pair<int, std::u16string>> expected = {{1, u"vfs://Test/nav.htm"},
                                                                  {4, u"vfs://Test/frame.htm"},
                                                                  {7, u"vfs://Test/nav.htm"},
                                                                  {7, u"vfs://Test/nav.htm"},
                                                                  {6, u"vfs://Test/after.htm"}};
    EXPECT_EQ(dialog.commands, expected);
    EXPECT_EQ(server.RequestedTargets(), std::vector<std::string>{});
}
