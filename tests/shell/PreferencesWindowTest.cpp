// The preferences panel and the language switch in the real program on a private
// display: the panel opens from the footer, a changed field is applied and saved, the
// language switch turns the page English and is saved, and the defaults come back.
// Screenshots of the panel in both languages are saved under the build folder.
#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <string>

#include "WindowDriver.h"
#include "support/RequiredEnvironment.h"

namespace {

constexpr int kWidth = 748;
// Places on the page (launcher.css, prefs.css), from the window's top left.
constexpr int kFooterY = 573;
constexpr int kSettingsX = 680;  // the footer's link, in Russian and English alike
constexpr int kEnglishX = 113;
constexpr int kMovementX = 343, kMovementY = 257;  // the checkbox "move by mouse click"
constexpr int kButtonsY = 524;
constexpr int kApplyX = 57, kDefaultsX = 151;
constexpr int kExitX = 735, kExitY = 12;
// Colours that show a part is painted: the frame, and the panel's fieldset border.
constexpr unsigned kFrameColor = 0x2b261f;
constexpr unsigned kFieldsetColor = 0x4a3f31;

}  // namespace

TEST(PreferencesWindow, AppliesSwitchesLanguageAndResets) {
    GameTree tree;
    WindowedLauncher launcher(tree);
    if (!launcher.HasDisplay()) SKIP_UNLESS_REQUIRED(launcher.Problem());
    std::ofstream(tree / "Profiles/Launcher.cfg") << "hostIP = \"127.0.0.1\"\nhostPort = 9\n";
    const std::string cfg = tree / "Personal/Global.cfg";
    ASSERT_TRUE(launcher.Start());
    // No locale is stored yet: the page picks its first language and saves it.
    ASSERT_TRUE(launcher.WaitForLog("page event Prefs.OnLoad", 15000)) << launcher.Log() << launcher.Stderr();
    int x = 0, y = 0;
    ASSERT_TRUE(launcher.FindWindow(kWidth, x, y));
    ASSERT_TRUE(launcher.WaitForColor(x + 400, y + 4, kFrameColor, 10000));
    EXPECT_NE(ReadAll(cfg).find("localization = \"ru\""), std::string::npos) << ReadAll(cfg);

    launcher.Click(x + kSettingsX, y + kFooterY);
    EXPECT_TRUE(launcher.WaitForColor(x + 20, y + 200, kFieldsetColor, 5000));
    EXPECT_TRUE(launcher.Screenshot(LAUNCHER_BUILD_DIR "/prefs-panel-ru.png"));

    launcher.Click(x + kMovementX, y + kMovementY);
    launcher.Click(x + kApplyX, y + kButtonsY);
    EXPECT_TRUE(launcher.WaitForLog("page event Prefs.OnApply", 5000)) << launcher.Log();
    EXPECT_NE(ReadAll(cfg).find("use_move_by_click = 0"), std::string::npos) << ReadAll(cfg);

    launcher.Click(x + kEnglishX, y + kFooterY);
    EXPECT_TRUE(WaitForText(cfg, "localization = \"en\"", 5000)) << ReadAll(cfg);
    EXPECT_TRUE(launcher.Screenshot(LAUNCHER_BUILD_DIR "/prefs-panel-en.png"));

    launcher.Click(x + kDefaultsX, y + kButtonsY);
    EXPECT_TRUE(launcher.WaitForLog("page event Prefs.OnReset", 5000)) << launcher.Log();
    EXPECT_NE(ReadAll(cfg).find("use_move_by_click = 1"), std::string::npos) << ReadAll(cfg);
    std::cout << "screenshots: " LAUNCHER_BUILD_DIR "/prefs-panel-ru.png, prefs-panel-en.png" << std::endl;

    launcher.Click(x + kExitX, y + kExitY);
    EXPECT_EQ(launcher.WaitForExit(8000), 0) << launcher.Log() << launcher.Stderr().substr(0, 4000);
    const std::string traffic = launcher.Log();
    for (const char* line : {"page command 202", "page command 201", "page command 100"})
        EXPECT_NE(traffic.find(line), std::string::npos) << line << "\n" << traffic;
    EXPECT_EQ(traffic.find("script error"), std::string::npos) << traffic;
}
