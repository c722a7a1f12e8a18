#include <gtest/gtest.h>

#include <string_view>

#include "base/runtime/StrUtil.h"
#include "engine/torrent/TorrentSessionConfig.h"
#include "shell/resources/MessageSink.h"
#include "shell/resources/ResourceData.h"
#include "shell/resources/StringIds.h"
#include "shell/resources/StringTable.h"

namespace {

std::string Text(int id) { return StrUtil::ToNarrow(LoadResString(id)).Std(); }

TEST(StringTable, CarriesTheEntriesAsTheyStand) {
    EXPECT_EQ(Text(140), "VaraRurezod.exe");
    EXPECT_EQ(Text(143), "This application requires administrator privileges");
    EXPECT_EQ(Text(150), "Halvost\\PatchSystem\\MainPatchDlg");
    EXPECT_EQ(Text(166), "bin/demo.bin");
    EXPECT_EQ(Text(167), "/");
    EXPECT_EQ(Text(172), "Бренник Онлайн");
    EXPECT_EQ(Text(159), "Рабочий путь содержит недопустимый символ '#'");
    EXPECT_TRUE(Text(151).starts_with("Внимание! Произошла критическая ошибка в работе java-модуля."));
    EXPECT_EQ(Text(131), "");  // the table holds no such entry
    EXPECT_EQ(Text(-1), "");
}

// The seed servers, as the download steps hand them to their torrent sessions.
TEST(StringTable, SeedListGivesTheWebSeedUrls) {
    TorrentSessionConfig config;
    config.SetSeedUrls(StrUtil::ToNarrow(LoadResString(StringId::SeedServers)));
    ASSERT_EQ(config.seedUrls.Size(), 2u);
    for (const String& url : config.seedUrls) {
        EXPECT_EQ(url.Find("http://"), 0) << url.CStr();
        EXPECT_EQ(url[url.Length() - 1], '/') << url.CStr();  // libtorrent appends the torrent's paths
    }
}

TEST(FindStringEntry, ReadsTheTableFormat) {
    const std::string_view table = "# comment\t1\n1\tone\r\n2\t\n12\ttwelve\nx3\tbad\n3 \tbad\n4\tfour\tstill four";
    bool found = false;
    EXPECT_EQ(FindStringEntry(table, 1, &found).View(), u"one");
    EXPECT_TRUE(found);
    EXPECT_EQ(FindStringEntry(table, 2, &found).View(), u"");
    EXPECT_TRUE(found);  // present, and empty
    EXPECT_EQ(FindStringEntry(table, 12).View(), u"twelve");
    FindStringEntry(table, 3, &found);
    EXPECT_FALSE(found);
    EXPECT_EQ(FindStringEntry(table, 4).View(), u"four\tstill four");
}

TEST(FormatResString, FillsEachMarkInTurnAndNothingElse) {
    const struct {
        const char16_t* text;
        std::initializer_list<WideString> values;
        const char16_t* filled;
    } cases[] = {
        {u"for %s, not %s", {WideString(u"1.2"), WideString(u"1.1")}, u"for 1.2, not 1.1"},
        {u"%s%%d %s", {WideString(u"%s"), WideString(u"x")}, u"%s%%d x"},  // values are not marks
        {u"one %s and %s", {WideString(u"only")}, u"one only and %s"},
        {u"no mark", {WideString(u"unused")}, u"no mark"},
        {u"%", {}, u"%"},
    };
    for (const auto& c : cases) EXPECT_EQ(FillPlaceholders(WideString(c.text), c.values).View(), c.filled);
    EXPECT_EQ(StrUtil::ToNarrow(FormatResString(StringId::ManualPatchConfirm, {WideString(u"1.0.3")})).Std(),
              "Найдены обновления до версии 1.0.3. Вы действительно хотите установить их?");
}

TEST(LoadResourceData, GivesTheZipOfThePageTree) {
    ByteVector archive;
    ASSERT_TRUE(LoadResourceData(ResourceId::UiArchive, archive));
    ASSERT_GT(archive.Size(), 22u);
    const std::string_view bytes(reinterpret_cast<const char*>(archive.Data()), archive.Size());
    EXPECT_TRUE(bytes.starts_with("PK\x03\x04"));
    EXPECT_NE(bytes.find("PK\x05\x06"), std::string_view::npos);  // the central directory's end
    EXPECT_NE(bytes.find("Launcher/res/launcher.htm"), std::string_view::npos);
    EXPECT_EQ(bytes.find("StringTable.tsv"), std::string_view::npos);
    EXPECT_FALSE(LoadResourceData(104, archive));
}

TEST(ShowResourceMessage, ShowsTheEntryUnderTheProgramsName) {
    struct Sink : IMessageSink {
        std::string caption, text;
        int style = -1;
        int Show(const WideString& t, const WideString& c, int s) override {
            text = StrUtil::ToNarrow(t).Std();
            caption = StrUtil::ToNarrow(c).Std();
            style = s;
            return MessageResult::Yes;
        }
    } sink;
    SetMessageSink(&sink);
    EXPECT_EQ(ShowResourceMessage(StringId::NeedsAdministrator, MessageStyle::IconError), MessageResult::Yes);
    SetMessageSink(nullptr);
    EXPECT_EQ(sink.caption, "Launcher.exe");
    EXPECT_EQ(sink.text, "This application requires administrator privileges");
    EXPECT_EQ(sink.style, MessageStyle::IconError);
    // Headless, nobody answers: a question reads as No.
    EXPECT_EQ(HeadlessMessageSink().Show(WideString(u"q"), WideString(u"c"), MessageStyle::YesNo), MessageResult::No);
}

}  // namespace
