// The preferences against a fake display: the mode list (sizes once, at least 800 by
// 600 either way, largest first), the page's events, command 202's nine fields with
// every kind of bad field, the settings written and the file saved, and when the
// file is written at all.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../RecordingWindow.h"
#include "base/config/StorageLoader.h"
#include "shell/AppParams.h"
#include "shell/LauncherConfig.h"
#include "support/TempDir.h"
#include "workflow/MainState.h"
#include "workflow/Settings.h"
#include "workflow/WorkflowValues.h"
#include "workflow/prefs/PrefsState.h"

namespace {

struct FakeDisplay final : IDisplayModeSource {
    std::vector<ScreenSize> modes;
    std::vector<ScreenSize> Modes() override { return modes; }
};

const std::vector<ScreenSize> kMonitor = {
    {640, 480},   {800, 600},   {1024, 768},  {1920, 1080}, {1280, 1024}, {1920, 1080},  // again, another rate
    {1024, 768},  {768, 1024},  {799, 600},   {600, 800},   {1280, 1024}, {800, 599},
};

DisplayModes Modes(const std::vector<ScreenSize>& sizes) {
    FakeDisplay display;
    display.modes = sizes;
    return DisplayModes::Build(display);
}

std::vector<std::u16string> Texts(const DisplayModes& modes) {
    std::vector<std::u16string> texts;
    for (const DisplayMode& mode : modes.All()) texts.push_back(mode.text.Std());
    return texts;
}

WideString W(const std::u16string& text) { return WideString(text.data(), text.data() + text.size()); }

TEST(DisplayModes, KeepsEachLargeEnoughSizeOnceLargestFirst) {
    const DisplayModes modes = Modes(kMonitor);
    EXPECT_EQ(Texts(modes), (std::vector<std::u16string>{u"1920x1080", u"1280x1024", u"1024x768", u"800x600",
                                                         u"768x1024", u"600x800"}));
    for (std::size_t i = 0; i < modes.Size(); ++i) EXPECT_EQ(modes[i].index, static_cast<int>(i));
    EXPECT_EQ(modes[1].swappedText.Std(), u"1024x1280");

    struct Case {
        const char16_t* text;
        int index;
    } cases[] = {{u"1280x1024", 1}, {u"1024x1280", 1}, {u"768x1024", 2}, {u"1024x768", 2},  // the first match
                 {u"600x800", 3},   {u"640x480", 0},   {u"1280x1024 ", 0}, {u"", 0}};
    for (const Case& c : cases) EXPECT_EQ(modes.IndexOf(WideString(c.text)), c.index) << String(WideString(c.text)).Std();

    const DisplayModes none = Modes({{640, 480}, {1024, 599}});
    EXPECT_EQ(none.Size(), 0u);
    EXPECT_EQ(none.IndexOf(WideString(u"640x480")), 0);
    EXPECT_FALSE(none.Contains(0));
}

class PrefsTest : public ::testing::Test {
protected:
    void SetUp() override {
        params = new AppParams;
        params->demoState = 1;
        params->login = WideString(u"player");
        std::filesystem::create_directories(dir / "Personal");
        SettingsStore().Load(String(Cfg().c_str()));
        // The settings as a player left them.
        Settings::gfxFullScreen.SetBool(true);
        Settings::gfxResolution.SetWString(WideString(u"1024x768"));
        Settings::use_move_by_click.SetBool(false);
        Settings::muteAll.SetBool(false);
        Settings::gfxAutoDetect.SetBool(false);
        Settings::gfxSystemSpec.SetInt(3);
        Settings::gfxSystemSpecPartial.SetBool(false);
        Settings::launcherPatchSaveSize.SetInt(700);
        Settings::prepatch_download.SetBool(true);
        Settings::prepatch_limit_active.SetFloat(20.7f);
        Settings::prepatch_limit_run.SetFloat(1e12f);
        Settings::download_full_background.SetBool(false);
    }

    std::string Cfg() const { return dir / "Personal/Global.cfg"; }

    // A preferences feature whose view reports to the recording window.
    RefPtr<PrefsState> Feature(const DisplayModes& modes) {
        RefPtr<PrefsView> view(new PrefsView(&window));
        RefPtr<PrefsFunctor> functor(new PrefsFunctor(view.Get(), modes, params.Get()));
        functor_ = functor;
        return RefPtr<PrefsState>(new PrefsState(functor.Get()));
    }

    TempDir dir;
    RefPtr<AppParams> params;
    RecordingWindow window;
    DisplayModes modes = Modes(kMonitor);
    RefPtr<PrefsFunctor> functor_;
};

TEST_F(PrefsTest, LoadReportsEachFieldCurrentThenDefaultThenTheModes) {
    RefPtr<PrefsState> state = Feature(modes);
    EXPECT_TRUE(functor_->Load(true));
    EXPECT_TRUE(Workflow::ProgressiveDownload());
    const std::vector<EventRecord> expected = {
        {u"Prefs.OnLoad", u"0", u"1", u"0", u"0", u"1", u"0",  // movement, mute, full screen
         u"3", u"6", u"2", u"1", u"700", u"500",               // quality, screen (1024x768; 1280x1024), size
         u"1", u"0", u"20", u"20", u"2147483647", u"100",      // future, limits (whole kB/s, saturated)
         u"1920x1080", u"1280x1024", u"1024x768", u"800x600", u"768x1024", u"600x800"},
        {u"App.SetDemoState", u"1"},
        {u"App.SetDownloadFullState", u"0"},
        {u"Launcher.SetLogin", u"player"},
    };
    EXPECT_EQ(window.events, expected);
}

TEST_F(PrefsTest, WithoutAUsableModeTheLoadFailsAndNothingPointsPastTheList) {
    const DisplayModes none = Modes({{640, 480}});
    RefPtr<PrefsState> state = Feature(none);
    EXPECT_FALSE(functor_->Load(false));
    EXPECT_EQ(window.Names(), std::vector<std::u16string>{u"Prefs.OnError"});
    EXPECT_TRUE(state->OnCommand(201, WideString()));
    EXPECT_TRUE(Settings::gfxResolution.Equals("1024x768"));  // no mode to take the text from
    EXPECT_TRUE(Settings::use_move_by_click.GetBool());       // the rest was reset
}

TEST_F(PrefsTest, ApplyReadsNineFieldsAndNothingElse) {
    struct Case {
        const char16_t* argument;
        bool taken;
        bool movement, mute, fullscreen;
        int quality, screen, size;
        bool future;
        float active, run;
    } cases[] = {
        {u"1:0:1:2:1:300:1:55.5:0", true, true, false, true, 2, 1, 300, true, 55.5f, 0.0f},
        {u"true:yes:2:6:0:0x10:0:20:100", true, true, false, true, 6, 0, 16, false, 20.0f, 100.0f},
        {u"::::::::", true, false, false, false, 0, 0, 0, false, 0.0f, 0.0f},
        {u"1:1:1:2147483648:-1:2147483647:1:nan:-1e40", true, true, true, true, 0, -1, 2147483647, true, 0, 0},
        {u"1:1:1:1:999:-5:1:1e40:-5", true, true, true, true, 1, 999, -5, true, 0.0f, 0.0f},
        {u"0:0:0:0:0:0:0:3000000:inf", true, false, false, false, 0, 0, 0, false, MainState::kMaxChannelKBps, 0},
    };
    for (const Case& c : cases) {
        RefPtr<PrefsState> state = Feature(modes);
        EXPECT_EQ(state->OnCommand(202, WideString(c.argument)), c.taken) << String(WideString(c.argument)).Std();
        const PrefsRecord& r = functor_->Current();
        const PrefsRecord expected{c.movement, c.mute, c.fullscreen, c.quality, c.screen, c.size, c.future, c.active,
                                   c.run};
        EXPECT_TRUE(r == expected) << String(WideString(c.argument)).Std() << " active " << r.downLimitGameActive
                                   << " run " << r.downLimitGameRun << " quality " << r.gfxQuality;
    }

    // Not nine fields: nothing changes and the page hears nothing.
    for (const char16_t* wrong : {u"", u"1:1:1:1:1:1:1:1", u"1:1:1:1:1:1:1:1:1:1"}) {
        RefPtr<PrefsState> state = Feature(modes);
        window.events.clear();
        EXPECT_FALSE(state->OnCommand(202, WideString(wrong)));
        EXPECT_TRUE(window.events.empty());
        EXPECT_TRUE(functor_->Current() == PrefsRecord());
    }
}

TEST_F(PrefsTest, ApplyWritesTheSettingsAndSavesThemOnce) {
    RefPtr<PrefsState> state = Feature(modes);
    ASSERT_TRUE(functor_->Load(false));
    window.events.clear();
    ASSERT_TRUE(state->OnCommand(202, WideString(u"0:1:0:6:3:250:0:30:150")));
    EXPECT_EQ(window.Names(), std::vector<std::u16string>{u"Prefs.OnApply"});
    EXPECT_FALSE(Settings::use_move_by_click.GetBool());
    EXPECT_TRUE(Settings::muteAll.GetBool());
    EXPECT_FALSE(Settings::gfxFullScreen.GetBool());
    EXPECT_TRUE(Settings::gfxAutoDetect.GetBool());
    EXPECT_EQ(Settings::gfxSystemSpec.GetInt(), 3);  // automatic detection keeps the preset
    EXPECT_FALSE(Settings::gfxSystemSpecPartial.GetBool());
    EXPECT_TRUE(Settings::gfxResolution.Equals("800x600"));

    ASSERT_TRUE(state->OnCommand(202, WideString(u"1:0:1:2:999:250:1:30:150")));
    EXPECT_FALSE(Settings::gfxAutoDetect.GetBool());
    EXPECT_EQ(Settings::gfxSystemSpec.GetInt(), 2);
    EXPECT_TRUE(Settings::gfxSystemSpecPartial.GetBool());
    EXPECT_TRUE(Settings::gfxResolution.Equals("800x600"));  // 999 is no mode: kept

    // What was saved comes back through a fresh load of the file.
    Settings::muteAll.SetBool(false);
    Settings::prepatch_limit_run.SetFloat(1.0f);
    StorageLoader reader(Global::UserGroup());
    reader.Load(String(Cfg().c_str()));
    window.events.clear();
    RefPtr<PrefsState> again = Feature(modes);
    ASSERT_TRUE(functor_->Load(false));
    ASSERT_FALSE(window.events.empty());
    const EventRecord& load = window.events[0];
    EXPECT_EQ(std::vector<std::u16string>(load.begin() + 1, load.begin() + 19),
              (std::vector<std::u16string>{u"1", u"1", u"0", u"0", u"1", u"0", u"2", u"6", u"3", u"1", u"250", u"500",
                                           u"1", u"0", u"30", u"20", u"150", u"100"}));
}

TEST_F(PrefsTest, ResetSavesTheDefaults) {
    RefPtr<PrefsState> state = Feature(modes);
    ASSERT_TRUE(state->OnCommand(201, WideString()));
    EXPECT_EQ(window.Names(), std::vector<std::u16string>{u"Prefs.OnReset"});
    EXPECT_TRUE(Settings::gfxResolution.Equals("1280x1024"));
    EXPECT_TRUE(Settings::gfxAutoDetect.GetBool());
    EXPECT_FLOAT_EQ(Settings::prepatch_limit_run.GetFloat(), 100.0f);
    const std::string saved = ReadWholeFile(Cfg());
    EXPECT_NE(saved.find("gfxResolution = \"1280x1024\"\r\n"), std::string::npos) << saved;
}

TEST_F(PrefsTest, TheFileIsWrittenAtTheEndOnlyWhenALaterSaveFailed) {
    {
        RefPtr<PrefsState> state = Feature(modes);
        ASSERT_TRUE(functor_->Load(false));  // 1024x768 stays 1024x768, even unlisted ones would
        state.Reset();
        functor_.Reset();
    }
    EXPECT_FALSE(std::filesystem::exists(Cfg()));

    // The folder of the file is missing, so the apply's save fails...
    SettingsStore().Load(String((dir / "Missing/Global.cfg").c_str()));
    RefPtr<PrefsState> state = Feature(modes);
    ASSERT_TRUE(state->OnCommand(202, WideString(u"1:1:1:6:0:1:1:1:1")));
    EXPECT_FALSE(std::filesystem::exists(dir / "Missing/Global.cfg"));
    // ...and the end of the feature tries again once it can succeed.
    std::filesystem::create_directories(dir / "Missing");
    state.Reset();
    functor_.Reset();
    EXPECT_NE(ReadWholeFile(dir / "Missing/Global.cfg").find("gfxResolution = \"1920x1080\""), std::string::npos);
}

TEST_F(PrefsTest, TheBackgroundDownloadSwitchTakesExactlyOne) {
    RefPtr<PrefsState> state = Feature(modes);
    for (const auto& [argument, flag] : std::vector<std::pair<std::u16string, bool>>{
             {u"1", true}, {u"true", false}, {u"1 ", false}, {u"", false}}) {
        window.events.clear();
        EXPECT_TRUE(state->OnCommand(5000, W(argument)));
        EXPECT_EQ(Settings::download_full_background.GetBool(), flag);
        EXPECT_EQ(window.events, (std::vector<EventRecord>{{u"App.SetDownloadFullState", flag ? u"1" : u"0"}}));
    }
    EXPECT_FALSE(state->OnCommand(20, WideString()));
    EXPECT_FALSE(state->OnCommand(100, WideString()));
}

TEST_F(PrefsTest, CommandTwentyReadsItsProgressiveFlagAsABoolean) {
    // Through the root state and the installed factory; the real display may offer
    // no mode here, which only changes the events, not the flag.
    RefPtr<MainState> root(MainState::Create(&window));
    for (const auto& [argument, flag] : std::vector<std::pair<std::u16string, bool>>{
             {u"true", true}, {u"false", false}, {u"2", true}, {u"yes", false}, {u"0", false}, {u"", false}}) {
        Workflow::ProgressiveDownload() = !flag;
        root->OnCommand(20, W(argument));
        EXPECT_EQ(Workflow::ProgressiveDownload(), flag) << String(W(argument)).Std();
    }
    EXPECT_TRUE(root->OnCommand(201, WideString()));  // the preferences now hold key 1
}

}  // namespace
