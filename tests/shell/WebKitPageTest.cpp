// The real page in the real WebKitGTK, on a private Xvfb display: the start handshake,
// one command and one event through the launcher's own page, event texts that reach a
// page's JSON.parse exactly, and the demo's full-version road. Skipped when no display
// can be had.
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
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <glib.h>

#include "base/runtime/Timer.h"
#include "platform/glib/GlibTimerHost.h"
#include "platform/gtk/GtkToolkit.h"
#include "shell/LauncherOnDisplay.h"
#include "shell/html/HtmlDialog.h"
#include "support/JsonStrings.h"
#include "support/PrivateXvfb.h"
#include "support/RequiredEnvironment.h"

extern char** environ;

// GTK and WebKit keep process-long caches that LeakSanitizer would report.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libgtk-3\nleak:libgdk-3\nleak:libwebkit2gtk\nleak:libjavascriptcoregtk\nleak:libglib-2.0\n"
           "leak:libgobject-2.0\nleak:libfontconfig\nleak:libEGL\nleak:libGLX\nleak:libgio-2.0\nleak:libdbus-1\n";
}

namespace {

constexpr int kTestBoundMs = 15000;

// Serves the resource tree from the source folder: "vfs://" + folder + path.
struct ResourceFiles : IUriSchemeHandler {
    std::string root;
    std::map<std::string, std::string> inlinePages;

    UriSchemeResponse Handle(const std::string& uri) override {
        UriSchemeResponse response;
        std::string key = uri.substr(std::string("vfs://").size());
        key = key.substr(0, key.find_first_of("?#"));
        std::string body;
        if (auto page = inlinePages.find(key); page != inlinePages.end()) {
            body = page->second;
        } else if (key.find("..") == std::string::npos) {
            std::ifstream file(root + "/" + key, std::ios::binary);
            if (!file) return response;
            std::ostringstream bytes;
            bytes << file.rdbuf();
            body = bytes.str();
        } else {
            return response;
        }
        response.found = true;
        response.body = std::make_shared<const std::string>(body);
        const std::string extension = key.substr(key.rfind('.') + 1);
        response.mimeType = extension == "js" ? "text/javascript" : extension == "css" ? "text/css" : "text/html";
        return response;
    }
};

class PageDialog final : public CHtmlDialog {
public:
    using CHtmlDialog::CHtmlDialog;

    std::vector<std::pair<int, std::u16string>> commands;
    std::function<void(PageDialog&, int, const WideString&)> onCommand;

    bool OnAppCommand(int code, const WideString& argument) override {
        if (code == kReadyCommand) {
            AnswerHandshake();
            return false;
        }
        commands.emplace_back(code, argument.Std());
        if (onCommand) onCommand(*this, code, argument);
        return false;
    }
    void OnDocumentComplete() override {
        SetDocumentComplete();
        BeginHandshake();
    }

protected:
    bool OnInitDialog() override {
        InitHtmlDialog(DragStrip{0, 0, 690, 24});
        SetClientSize(748, 589);
        return true;
    }
};

gboolean EndStuckDialog(gpointer dialog) {
    static_cast<CHtmlDialog*>(dialog)->EndDialog(-99);
    return G_SOURCE_REMOVE;
}

int RunBounded(PageDialog& dialog) {
    const guint guard = g_timeout_add(kTestBoundMs, &EndStuckDialog, &dialog);
    const int code = dialog.DoModal();
    if (code != -99) g_source_remove(guard);
    return code;
}

// The display, the toolkit and the vfs scheme, made once per process: WebKit takes a
// scheme only once.
struct PageHost {
    PrivateXvfb xvfb;
    std::string home;
    std::unique_ptr<GtkToolkit> toolkit;
    std::shared_ptr<ResourceFiles> files = std::make_shared<ResourceFiles>();
    std::unique_ptr<GlibTimerHost> timers;
    std::string problem;

    PageHost() {
        if (xvfb.Start()) setenv("DISPLAY", xvfb.Display().c_str(), 1);
        if (!std::getenv("DISPLAY")) {
            problem = "no X display and no Xvfb";
            return;
        }
        // The web process's sandbox cannot start as root.
        if (geteuid() == 0) setenv("WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS", "1", 1);
        char folder[] = "/tmp/webkitpage-XXXXXX";
        if (mkdtemp(folder)) home = folder;
        for (const char* variable : {"XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"}) setenv(variable, home.c_str(), 1);
        setenv("MESA_SHADER_CACHE_DISABLE", "true", 1);
        toolkit = GtkToolkit::Create();
        if (!toolkit) {
            problem = "GTK cannot open the display";
            return;
        }
        files->root = LAUNCHER_TEST_DATA "/../Client/resources";
        if (!toolkit->RegisterUriScheme("vfs", files)) problem = "the vfs scheme cannot be registered";
        timers = std::make_unique<GlibTimerHost>(&Timer::TimerProc);
    }
    ~PageHost() {
        std::error_code ignored;
        if (!home.empty()) std::filesystem::remove_all(home, ignored);
    }
};

PageHost& Host() {
    static PageHost host;
    return host;
}

}  // namespace

TEST(WebKitPage, LauncherPageCompletesTheHandshakeAndRoundTripsCommandsAndEvents) {
    PageHost& host = Host();
    if (!host.problem.empty()) SKIP_UNLESS_REQUIRED(host.problem);
    GtkToolkit* toolkit = host.toolkit.get();
    ResourceFiles* files = host.files.get();
    GlibTimerHost& timers = *host.timers;
    // Posts back what JSON.parse gave the page, so the test sees the page's view.
    files->inlinePages["Test/echo.htm"] =
        "<!DOCTYPE html><meta charset='utf-8'><script>"
        "function MessageProc(e) { var a = e.toArray();"
        "  if (a[0] === 'AppReady') { window.webkit.messageHandlers.app.postMessage('666');"
        "    window.webkit.messageHandlers.app.postMessage('1@' + JSON.stringify(a)); return; }"
        "  window.webkit.messageHandlers.app.postMessage('2@' + JSON.stringify(a)); }"
        "</script>";
    {
        PageDialog dialog(*toolkit, &timers, "vfs://Launcher/res/launcher.htm", "");
        dialog.onCommand = [](PageDialog& d, int code, const WideString&) {
            if (code == 10) d.View().SendEventArgs(WideString(u"Locale.OnLoad"), [] {
                WideStringVector args;
                args.PushBack(WideString(u"en"));
                return args;
            }());
            if (code == 20) d.EndDialog(2);
        };
        EXPECT_EQ(RunBounded(dialog), 2);
        EXPECT_TRUE(dialog.IsReady());
        const std::vector<std::pair<int, std::u16string>> expected = {
            {10, u""}, {7835, u"launcher"}, {80, u""}, {30, u""}, {20, u"false"}};
        EXPECT_EQ(dialog.commands, expected);
    }
    {
        PageDialog dialog(*toolkit, &timers, "vfs://Test/echo.htm", "");
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

namespace {

WideStringVector Args(std::initializer_list<const char16_t*> texts) {
    WideStringVector args;
    for (const char16_t* text : texts) args.PushBack(WideString(text));
    return args;
}

// Runs after the page has had time to paint.
void Later(int ms, std::function<void()> action) {
    auto* held = new std::function<void()>(std::move(action));
    g_timeout_add(ms, [](gpointer data) -> gboolean {
        auto* action = static_cast<std::function<void()>*>(data);
        (*action)();
        delete action;
        return G_SOURCE_REMOVE;
    }, held);
}

}  // namespace

// The demo's full-version road on the launcher's page, with the test playing the
// launcher: the restarted demo (state "2") waits for the update road, makes the game
// step, asks for the full version, downloads it with its progress in view, asks for the
// install once however often the download repeats that it is complete, and shows the
// outcome. Screenshots of the download and both outcomes, in English.
TEST(WebKitPage, TheDemoPageFetchesAndInstallsTheFullVersionAsTheLauncherAnswers) {
    PageHost& host = Host();
    if (!host.problem.empty()) SKIP_UNLESS_REQUIRED(host.problem);
    GtkToolkit& toolkit = *host.toolkit;
    GlibTimerHost& timers = *host.timers;
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);

    for (const bool installs : {true, false}) {
        SCOPED_TRACE(installs ? "installed" : "failed");
        PageDialog dialog(toolkit, &timers, "vfs://Launcher/res/launcher.htm", "");
        std::vector<std::string> shots;
        const auto shoot = [&](const std::string& name) {
            if (SaveScreenPng(display, LAUNCHER_BUILD_DIR "/" + name)) shots.push_back(name);
        };
        dialog.onCommand = [&](PageDialog& d, int code, const WideString&) {
            switch (code) {
            case 10: d.View().SendEventArgs(WideString(u"Locale.OnLoad"), Args({u"en"})); break;
            case 20:
                d.View().SendEventArgs(WideString(u"App.SetDemoState"), Args({u"2"}));
                // The update road answers only now: the game step waits for it.
                Later(300, [&d] { d.View().SendEventArgs(WideString(u"Patching.OnResponse"), Args({})); });
                break;
            case 70: d.View().SendEventArgs(WideString(u"Game.OnEpayCheck"), Args({u"0"})); break;
            case 4001:
                d.View().SendEventArgs(WideString(u"Repair.OnRequest"), Args({}));
                d.View().SendEventArgs(WideString(u"Repair.OnAnswer"), Args({}));
                break;
            case 600:
                d.View().SendEventArgs(WideString(u"Repair.OnDownloadStart"), Args({}));
                d.View().SendEventArgs(WideString(u"Downloader.OnProgress"),
                                       Args({u"42", u"44040192", u"104857600", u"1572864", u"0", u"0"}));
                Later(1000, [&, installs] {
                    if (installs) shoot("demo-downloading.png");
                    for (int i = 0; i < 3; ++i) d.View().SendEventArgs(WideString(u"Repair.OnDownloadComplete"), Args({}));
                });
                break;
            case 4002:
                d.View().SendEventArgs(WideString(installs ? u"Game.ExitGame" : u"Game.FullInstallationFailed"), Args({}));
                Later(1000, [&, installs] {
                    shoot(installs ? "demo-installed.png" : "demo-install-failed.png");
                    d.EndDialog(2);
                });
                break;
            }
        };
        EXPECT_EQ(RunBounded(dialog), 2);
        std::vector<int> codes;
        for (const auto& command : dialog.commands) codes.push_back(command.first);
        EXPECT_EQ(codes, (std::vector<int>{10, 7835, 80, 30, 20, 70, 4001, 600, 4002}));
        EXPECT_EQ(shots.size(), installs ? 2u : 1u);
        for (const std::string& shot : shots) std::cout << "screenshot: " << LAUNCHER_BUILD_DIR "/" << shot << std::endl;
    }
    XCloseDisplay(display);
}
