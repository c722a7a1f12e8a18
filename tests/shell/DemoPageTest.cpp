// The demo's full-version road on the launcher's page in the real WebKitGTK, with the
// test playing the launcher. Skipped when no display can be had.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <glib.h>

#include "base/runtime/Timer.h"
#include "platform/glib/GlibTimerHost.h"
#include "shell/LauncherOnDisplay.h"
#include "shell/SourcePage.h"
#include "support/PrivateXvfb.h"
#include "support/RequiredEnvironment.h"

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
TEST(DemoPage, FetchesAndInstallsTheFullVersionAsTheLauncherAnswers) {
    PrivateXvfb xvfb;
    PageEnvironment environment(xvfb.Start() ? xvfb.Display() : "");
    if (!std::getenv("DISPLAY")) SKIP_UNLESS_REQUIRED("no X display and no Xvfb");
    if (!environment.Toolkit()) SKIP_UNLESS_REQUIRED("GTK cannot open the display");
    GtkToolkit& toolkit = *environment.Toolkit();
    ASSERT_TRUE(toolkit.RegisterUriScheme("vfs", std::make_shared<SourceResources>()));
    GlibTimerHost timers(&Timer::TimerProc);
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
            // The update road: no unfinished update, the files are writable.
            case 80: d.View().SendEventArgs(WideString(u"InitialCheck.OnReadyToUpdate"), Args({})); break;
            case 45: d.View().SendEventArgs(WideString(u"CheckAttributes.OnSuccessChecking"), Args({})); break;
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
                    for (int i = 0; i < 3; ++i)
                        d.View().SendEventArgs(WideString(u"Repair.OnDownloadComplete"), Args({}));
                });
                break;
            case 4002:
                d.View().SendEventArgs(WideString(installs ? u"Game.ExitGame" : u"Game.FullInstallationFailed"),
                                       Args({}));
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
        EXPECT_EQ(codes, (std::vector<int>{25, 10, 7835, 80, 20, 45, 30, 70, 4001, 600, 4002}));
        EXPECT_EQ(shots.size(), installs ? 2u : 1u);
        for (const std::string& shot : shots)
            std::cout << "screenshot: " << LAUNCHER_BUILD_DIR "/" << shot << std::endl;
    }
    XCloseDisplay(display);
}
