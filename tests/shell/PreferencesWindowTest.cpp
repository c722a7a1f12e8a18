// The preferences panel and the language switch in the real program on a private
// display: the panel opens from its tool, a changed field is applied and saved, the
// language switch turns the page English and is saved, and the defaults come back.
// Screenshots of the panel in both languages are saved under the build folder.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>

#include "shell/LauncherOnDisplay.h"
#include "support/PrivateXvfb.h"
#include "support/RequiredEnvironment.h"

namespace {

// Places on the page (launcher.css, prefs.css), from the window's top left.
constexpr int kFooterY = 576;
constexpr int kEnglishX = 122;
constexpr int kSettingsX = 644, kSettingsY = 409;  // the tool in the side column
constexpr int kMovementX = 344, kMovementY = 285;  // the row "move by mouse click"
constexpr int kButtonsY = 523;
constexpr int kApplyX = 50, kDefaultsX = 165;  // inside both languages' buttons
constexpr int kExitX = 735, kExitY = 12;
// Colours that show a part is painted: the frame, and the panel's fieldset border.
constexpr unsigned kFrameColor = 0x2b261f;
constexpr unsigned kFieldsetColor = 0x4a3f31;

void Screenshot(Display* display, const std::string& path) {
    // The web process paints on its own time; the page changes just after the event.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(SaveScreenPng(display, path));
    std::cout << "screenshot: " << path << std::endl;
}

}  // namespace

TEST(PreferencesWindow, AppliesSwitchesLanguageAndResets) {
    PrivateXvfb xvfb;
    if (!xvfb.Start()) SKIP_UNLESS_REQUIRED("no Xvfb");
    GameTree tree;
    Display* display = XOpenDisplay(xvfb.Display().c_str());
    if (!display) SKIP_UNLESS_REQUIRED("cannot open " + xvfb.Display());
    WriteNoUpdateServerConfig(tree);
    const std::string cfg = tree / "Personal/Global.cfg";
    const std::string log = tree / "Personal/Logs/Launcher.log";
    ProcessHandle launcher = StartLauncher(tree, xvfb.Display());
    ASSERT_TRUE(launcher.IsValid());

    // No locale is stored yet: the page picks its first language and saves it.
    int x = 0, y = 0;
    const bool shown = WaitForText(log, "page event Prefs.OnLoad", 15000) &&
                       FindLauncherWindow(display, x, y) && WaitForColor(display, x + 400, y + 4, kFrameColor, 10000);
    EXPECT_TRUE(shown) << ReadAll(log) << ReadAll(tree / "stderr");
    if (shown) {
        EXPECT_NE(ReadAll(cfg).find("localization = \"ru\""), std::string::npos) << ReadAll(cfg);
        Click(display, x + kSettingsX, y + kSettingsY);
        EXPECT_TRUE(WaitForColor(display, x + 20, y + 200, kFieldsetColor, 5000));
        Screenshot(display, LAUNCHER_BUILD_DIR "/prefs-panel-ru.png");

        Click(display, x + kMovementX, y + kMovementY);
        Click(display, x + kApplyX, y + kButtonsY);
        EXPECT_TRUE(WaitForText(log, "page event Prefs.OnApply", 5000)) << ReadAll(log);
        EXPECT_NE(ReadAll(cfg).find("use_move_by_click = 0"), std::string::npos) << ReadAll(cfg);

        Click(display, x + kEnglishX, y + kFooterY);
        EXPECT_TRUE(WaitForText(cfg, "localization = \"en\"", 5000)) << ReadAll(cfg);
        Screenshot(display, LAUNCHER_BUILD_DIR "/prefs-panel-en.png");

        Click(display, x + kDefaultsX, y + kButtonsY);
        EXPECT_TRUE(WaitForText(log, "page event Prefs.OnReset", 5000)) << ReadAll(log);
        EXPECT_NE(ReadAll(cfg).find("use_move_by_click = 1"), std::string::npos) << ReadAll(cfg);
        Click(display, x + kExitX, y + kExitY);
    }
    EXPECT_EQ(WaitForLauncherExit(launcher, shown ? 8000 : 0), 0) << ReadAll(tree / "stderr").substr(0, 4000);
    XCloseDisplay(display);

    const std::string traffic = ReadAll(log);
    for (const char* line : {"page command 202", "page command 201", "page command 100"})
        EXPECT_NE(traffic.find(line), std::string::npos) << line << "\n" << traffic;
    EXPECT_EQ(traffic.find("script error"), std::string::npos) << traffic;
}
