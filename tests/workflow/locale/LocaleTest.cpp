// The locale feature behind the root state: "trd2.bin" in its odd shapes, the events
// of a load and a save, the stored text that cannot add lines to "Global.cfg", and
// the save command before any load.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "../RecordingWindow.h"
#include "base/config/StorageLoader.h"
#include "base/runtime/StrUtil.h"
#include "shell/AppParams.h"
#include "shell/LauncherConfig.h"
#include "support/TempDir.h"
#include "workflow/MainState.h"
#include "workflow/Settings.h"
#include "workflow/locale/LocaleFunctor.h"

namespace {

std::string Utf16(const std::u16string& text) {
    std::string bytes;
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

WideString W(const std::u16string& text) { return WideString(text.data(), text.data() + text.size()); }

TEST(ReadMainSite, TakesUpTo255UnitsUntilTheFirstNul) {
    TempDir dir;
    std::u16string long600;
    for (int i = 0; i < 300; ++i) long600 += static_cast<char16_t>(u'a' + i % 26);
    struct Case {
        const char* name;
        std::string bytes;
        std::u16string expected;
    } cases[] = {
        {"600 bytes", Utf16(long600), long600.substr(0, 255)},
        {"NUL after 3 units", Utf16(u"abc") + std::string("\0\0", 2) + Utf16(u"def"), u"abc"},
        {"odd length", Utf16(u"abc") + "d", u"abc"},
        {"byte-order mark", "\xFF\xFE" + Utf16(u"site"), u"\xFEFFsite"},
        {"Cyrillic and a lone surrogate", Utf16(u"сайт\xD800"), u"сайт\xD800"},
        {"empty", "", u""},
    };
    for (const Case& c : cases) {
        dir.WriteFile("trd2.bin", c.bytes);
        EXPECT_EQ(ReadMainSite(String((dir / "trd2.bin").c_str())).Std(), c.expected) << c.name;
    }
    EXPECT_TRUE(ReadMainSite(String((dir / "absent.bin").c_str())).IsEmpty());
    EXPECT_TRUE(ReadMainSite(String(dir.Path().c_str())).IsEmpty());  // a folder
    // A FIFO nobody writes to would block a plain open for ever.
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_TRUE(ReadMainSite(String((dir / "fifo").c_str())).IsEmpty());
}

TEST(StorableLocale, DropsControlCharactersAndStopsAtItsLimit) {
    const char16_t raw[] = u"ru\r\nmuteAll = 1\t\x7F\0x";
    EXPECT_EQ(StorableLocale(W(std::u16string(raw, std::size(raw) - 1))).Std(), u"rumuteAll = 1x");
    EXPECT_EQ(StorableLocale(W(std::u16string(1 << 20, u'e'))).Length(), LocaleFunctor::kMaxLocaleUnits);
    EXPECT_EQ(StorableLocale(W(u"\"en\"")).Std(), u"\"en\"");
}

class LocaleFeatureTest : public ::testing::Test {
protected:
    void SetUp() override {
        params = new AppParams;
        params->binDir = StrUtil::ToWide(String(dir.Path().c_str()));
        SetAppParams(params.Get());
        SettingsStore().Load(String((dir / "Global.cfg").c_str()));
        Settings::localization.SetWString(WideString(u"en"));
        root = MainState::Create(&window);
    }
    void TearDown() override {
        root.Reset();
        SetAppParams(nullptr);
    }

    TempDir dir;
    RefPtr<AppParams> params;
    RecordingWindow window;
    RefPtr<MainState> root;
};

TEST_F(LocaleFeatureTest, LoadSendsTheMainSiteFirstAndOnlyWhenThereIsOne) {
    EXPECT_TRUE(root->OnCommand(10, WideString()));
    EXPECT_EQ(window.events, (std::vector<EventRecord>{{u"Locale.OnLoad", u"en"}}));

    dir.WriteFile("trd2.bin", Utf16(u"https://brennic.example/"));
    window.events.clear();
    EXPECT_TRUE(root->OnCommand(10, WideString()));
    EXPECT_EQ(window.events, (std::vector<EventRecord>{{u"Locale.SetMainSite", u"https://brennic.example/"},
                                                       {u"Locale.OnLoad", u"en"}}));
}

TEST_F(LocaleFeatureTest, SaveStoresOneCleanLineAndTheNextLoadReadsIt) {
    EXPECT_FALSE(root->OnCommand(100, WideString(u"ru")));  // no locale feature yet: nothing happens
    EXPECT_TRUE(window.events.empty());
    EXPECT_TRUE(Settings::localization.Equals("en"));

    ASSERT_TRUE(root->OnCommand(10, WideString()));
    window.events.clear();
    EXPECT_TRUE(root->OnCommand(100, WideString(u"ru\r\nmuteAll = 1")));
    EXPECT_EQ(window.events, (std::vector<EventRecord>{{u"Locale.OnLoad", u"rumuteAll = 1"}}));
    const std::string saved = dir.ReadFile("Global.cfg");
    EXPECT_NE(saved.find("localization = \"rumuteAll = 1\"\r\n"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("\nmuteAll = 1"), std::string::npos) << saved;

    Settings::localization.SetWString(WideString(u"other"));
    StorageLoader reader(Global::UserGroup());
    reader.Load(String((dir / "Global.cfg").c_str()));
    EXPECT_TRUE(Settings::localization.Equals("rumuteAll = 1"));
    EXPECT_FALSE(Settings::muteAll.GetBool());

    window.events.clear();
    EXPECT_TRUE(root->OnCommand(100, WideString()));
    EXPECT_EQ(window.events, (std::vector<EventRecord>{{u"Locale.OnLoad", u""}}));
    EXPECT_TRUE(Settings::localization.GetWString().IsEmpty());
}

}  // namespace
