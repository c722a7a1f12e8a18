// Loading and saving configuration files. The registry is process-wide, so every test
// uses its own group and keys, and keeps few entries alive at once: the table's bucket
// count (and with it the saved line order) then starts alike in every test.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <boost/filesystem.hpp>

#include "base/config/GlobalRegistry.h"
#include "base/config/GlobalVar.h"
#include "base/config/StorageLoader.h"
#include "base/runtime/StrUtil.h"
#include "support/LinkBait.h"
#include "support/ScopedTempFolder.h"

namespace {

const std::string kData = std::string(LAUNCHER_TEST_DATA) + "/base/config/data/";
const std::string kBom = "\xEF\xBB\xBF";

std::vector<std::string> SortedLines(const std::string& bytes) {
    std::vector<std::string> lines;
    // The byte-order mark belongs to the file, not to whichever line comes first.
    std::istringstream in(bytes.rfind(kBom, 0) == 0 ? bytes.substr(kBom.size()) : bytes);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
}

class StorageLoaderTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = dir / name;
        EXPECT_TRUE(WriteWholeFile(path, bytes));
        return path;
    }
    // Loads the text with a fresh loader of the test's group and returns what it saves.
    std::string RoundTrip(const std::string& bytes) {
        StorageLoader loader(&group);
        loader.Load(String(Write("in.cfg", bytes).c_str()));
        const std::string out = dir / "out.cfg";
        loader.Load(String(out.c_str()));  // only remembers the new name: the file is missing
        EXPECT_TRUE(loader.Save());
        return ReadWholeFile(out);
    }
    Global::Value ValueOf(const char* name) { return Global::Registry::Instance().GetValue(name); }

    ScopedTempFolder dir;
    Global::Group group = true;
};

TEST(ConfigLine, SplitsKeyValueAndTokens) {
    struct Case {
        const char16_t* raw;
        bool comment;
        bool hasValue;
        const char16_t* key;
        const char16_t* value;
        std::vector<std::u16string> tokens;
    } cases[] = {
        {u"key = 5", false, true, u"key", u"5", {u"5"}},
        {u"key=5", false, true, u"key", u"5", {u"5"}},
        {u"  key =   5", false, true, u"key", u"5", {u"5"}},
        {u"key 5", false, false, u"key", u"5", {u"5"}},
        {u"key =", false, true, u"key", u"", {}},
        {u"= 5", false, true, u"", u"5", {u"5"}},
        {u"k = a;b # c", false, true, u"k", u"a;b # c", {u"a;b", u"#", u"c"}},
        {u"alias sz = size =", false, false, u"alias", u"sz = size =", {u"sz", u"=", u"size", u"="}},
        {u"f x(a, \"b c\")[ ]", false, false, u"f", u"x(a, \"b c\")[ ]", {u"x", u"(", u"a,", u"\"b c\"", u")", u"[", u"]"}},
        {u"q = \"(not) a bracket\"", false, true, u"q", u"\"(not) a bracket\"", {u"\"(not) a bracket\""}},
        {u"", true, false, u"", u"", {}},
        {u"   \t", true, false, u"", u"", {}},
        {u"; note", true, false, u"", u"", {}},
        {u"  # note", true, false, u"", u"", {}},
        {u"// note", true, false, u"", u"", {}},
        {u"/ not a comment", false, false, u"/", u"not a comment", {u"not", u"a", u"comment"}},
    };
    for (const Case& c : cases) {
        const Config::Line line = Config::Tokenize(c.raw);
        const std::string where = StrUtil::ToNarrow(WideString(c.raw)).Std();
        EXPECT_EQ(line.isComment, c.comment) << where;
        if (c.comment) continue;
        EXPECT_EQ(line.hasValue, c.hasValue) << where;
        EXPECT_TRUE(line.key.Equals(c.key)) << where;
        EXPECT_TRUE(line.value.Equals(c.value)) << where;
        std::vector<std::u16string> tokens;
        for (const WideString& token : line.tokens) tokens.push_back(token.Std());
        EXPECT_EQ(tokens, c.tokens) << where;
    }
}

TEST_F(StorageLoaderTest, ValueForms) {
    Global::WString text("sl.text", u"", &group);
    Global::Double number("sl.number", -1.0, &group);
    struct Case {
        const char* line;
        Global::Var* var;
        Global::ValueType type;
        double number;
        const char16_t* text;
    } cases[] = {
        {"sl.number = 5", &number, Global::ValueType::number, 5, u"5"},
        {"sl.number=6", &number, Global::ValueType::number, 6, u"6"},
        {"sl.number =   7", &number, Global::ValueType::number, 7, u"7"},
        {"sl.number 8", &number, Global::ValueType::number, 7, u"7"},  // a command line: no change
        {"sl.number = 12px", &number, Global::ValueType::number, 12, u"12"},
        {"sl.number = True", &number, Global::ValueType::number, 12, u"12"},  // ignored
        {"sl.number = 1e400", &number, Global::ValueType::number, 12, u"12"},
        {"sl.number = nan", &number, Global::ValueType::number, 12, u"12"},
        {"sl.number = inf", &number, Global::ValueType::number, 12, u"12"},
        {"sl.number = true", &number, Global::ValueType::number, 1, u"1"},
        {"sl.number = -2.5e1", &number, Global::ValueType::number, -25, u"-25"},
        {"sl.number = \"42 apples\"", &number, Global::ValueType::text, 42, u"42 apples"},
        {"sl.text = \"a b\"", &text, Global::ValueType::text, 0, u"a b"},
        {"sl.text = \"open to the end", &text, Global::ValueType::text, 0, u"open to the end"},
        {"sl.text = \"", &text, Global::ValueType::text, 0, u""},
        {"sl.text = \"\"", &text, Global::ValueType::text, 0, u""},
        {"sl.text = \"say \"hi\"\"", &text, Global::ValueType::text, 0, u"say \"hi\""},
        {"sl.text = \"\xC3\xA9t\xC3\xA9\"", &text, Global::ValueType::text, 0, u"\u00e9t\u00e9"},
    };
    StorageLoader loader(&group);
    for (const Case& c : cases) {
        loader.ParseLine(StrUtil::ToWide(c.line), true);
        EXPECT_EQ(c.var->GetValue().Type(), c.type) << c.line;
        EXPECT_EQ(c.var->GetDouble(), c.number) << c.line;
        EXPECT_TRUE(c.var->GetWString().Equals(c.text)) << c.line;
    }
}

TEST_F(StorageLoaderTest, AliasesExpandOneLevel) {
    Global::Int size("sl.size", 0, &group);
    Global::Int other("sl.other", 0, &group);
    StorageLoader loader(&group);
    for (const char* line : {"alias sz = sl.size =", "sz 8", "alias chain = sz", "chain 9", "alias bad=sl.size =",
                             "bad 10", "alias empty =", "empty 11", "alias sz2 = sl.other = 3", "sz2"}) {
        loader.ParseLine(StrUtil::ToWide(line), true);
    }
    EXPECT_EQ(size.GetInt(), 8);  // "chain 9" would need a second expansion
    EXPECT_EQ(other.GetInt(), 3);
    EXPECT_FALSE(Global::Registry::Instance().HasAlias("bad"));
    EXPECT_FALSE(Global::Registry::Instance().HasAlias("empty"));
    loader.ParseLine(u"noalias sz", true);
    loader.ParseLine(u"sz 5", true);
    EXPECT_EQ(size.GetInt(), 8);
}

TEST_F(StorageLoaderTest, LoadsBothFilesOfAGameTree) {
    Global::Group launcherGroup = true;
    Global::String hostIP("hostIP", "", &launcherGroup);
    Global::String hostPort("hostPort", "8080", &launcherGroup);
    Global::String hostPath("hostPath", "/", &launcherGroup);
    Global::Int hostTimeout("hostTimeout", 30000, &launcherGroup);
    Global::Int hostType("hostType", 0, &launcherGroup);
    Global::String chnSrvlistUrl("chnSrvlistUrl", "", &launcherGroup);

    Global::WString localization("localization", u"", &group);
    Global::WString launcherLogin("launcherLogin", u"", &group);
    Global::Bool gfxFullScreen("gfxFullScreen", false, &group);
    Global::WString gfxResolution("gfxResolution", u"1280x1024", &group);
    Global::Bool muteAll("muteAll", true, &group);
    Global::Bool gfxAutoDetect("gfxAutoDetect", true, &group);
    Global::Int gfxSystemSpec("gfxSystemSpec", 0, &group);
    Global::Float prepatchLimitActive("prepatch_limit_active", 20, &group);
    Global::Float prepatchLimitRun("prepatch_limit_run", 100, &group);
    Global::String prepatchReady("prepatch_ready", "", &group);

    StorageLoader launcherFile(&launcherGroup);
    launcherFile.Load(String((kData + "game/Profiles/Launcher.cfg").c_str()));
    EXPECT_TRUE(hostIP.Equals("127.0.0.1"));
    EXPECT_TRUE(hostPath.Equals("/patches/"));
    EXPECT_EQ(hostTimeout.GetInt(), 30000);
    EXPECT_EQ(hostType.GetInt(), 1);
    EXPECT_TRUE(chnSrvlistUrl.Equals("http://127.0.0.1:8080/srvlist.xml"));

    StorageLoader userFile(&group);
    userFile.Load(String((kData + "game/Personal/Global.cfg").c_str()));
    EXPECT_TRUE(localization.Equals("de"));
    EXPECT_TRUE(launcherLogin.Equals("J\xC3\xBCrgen M"));
    EXPECT_TRUE(gfxFullScreen.GetBool());
    EXPECT_FALSE(muteAll.GetBool());
    EXPECT_TRUE(gfxAutoDetect.GetBool());  // "True" is no boolean
    EXPECT_EQ(gfxSystemSpec.GetInt(), 4);  // through the alias
    EXPECT_FLOAT_EQ(prepatchLimitActive.GetFloat(), 12.5f);
    EXPECT_TRUE(prepatchReady.Equals("1.2.3"));
    EXPECT_TRUE(gfxResolution.Equals("1280x1024"));  // missing from the file
    EXPECT_EQ(hostPort.GetInt(), 9090);  // another group's key, set for the run
    EXPECT_TRUE(Global::Registry::Instance().IsInGroup("futureKey", &group));

    // Saved in table order, with the unknown key and without the other group's.
    const std::string saved = dir / "Global.cfg";
    userFile.Load(String(saved.c_str()));
    ASSERT_TRUE(userFile.Save());
    EXPECT_EQ(ReadWholeFile(saved), ReadWholeFile(kData + "golden/Global.cfg"));
}

TEST_F(StorageLoaderTest, SavedForms) {
    Global::Double two("sl.two", 2.0, &group);
    Global::Double half("sl.half", 2.5, &group);
    Global::String x("sl.x", "x", &group);
    Global::Double unset("sl.unset", 0.0, &group);
    unset.Assign(Global::Value());
    Global::Double huge("sl.huge", 1e300, &group);
    Global::Double big("sl.big", 9007199254740992.0, &group);
    Global::Double negativeZero("sl.nzero", -0.0, &group);
    Global::Float precise("sl.precise", 0.1234567f, &group);
    const std::vector<std::string> expected = {"sl.big = 9007199254740992\r",
                                               "sl.half = 2.5\r",
                                               "sl.huge = 1e+300\r",
                                               "sl.nzero = 0\r",
                                               "sl.precise = 0.123457\r",
                                               "sl.two = 2\r",
                                               "sl.x = \"x\"\r"};
    StorageLoader loader(&group);
    loader.Load(String((dir / "forms.cfg").c_str()));
    ASSERT_TRUE(loader.Save());
    EXPECT_EQ(SortedLines(ReadWholeFile(dir / "forms.cfg")), expected);
    EXPECT_EQ(ReadWholeFile(dir / "forms.cfg").rfind(kBom, 0), 0u);
}

TEST_F(StorageLoaderTest, LineBreaksInTextsCannotInjectKeys) {
    {
        Global::WString login("sl.login", u"", &group);
        login.SetWString(WideString(u"bob\r\nhostIP = \"203.0.113.9\"\n") + WideString(u"sl.admin = 1") +
                         WideString(u"\0tail", u"\0tail" + 5));
        StorageLoader loader(&group);
        loader.Load(String((dir / "Global.cfg").c_str()));
        ASSERT_TRUE(loader.Save());
    }
    const std::string bytes = ReadWholeFile(dir / "Global.cfg");
    EXPECT_EQ(bytes, kBom + "sl.login = \"bobhostIP = \"203.0.113.9\"sl.admin = 1tail\"\r\n");
    Global::WString login("sl.login", u"", &group);
    StorageLoader loader(&group);
    loader.Load(String((dir / "Global.cfg").c_str()));
    EXPECT_TRUE(login.GetWString().Equals(u"bobhostIP = \"203.0.113.9\"sl.admin = 1tail"));
    EXPECT_FALSE(Global::Registry::Instance().Exists("hostIP"));
    EXPECT_FALSE(Global::Registry::Instance().Exists("sl.admin"));
}

TEST_F(StorageLoaderTest, SaveLoadReachesAFixedPoint) {
    const std::string messy = kBom + "; comment\r\n  sl.a =   1.50  \r\nsl.b=\"text\" \r\nsl.c = \"open\r\n"
                              "sl.d = -0\r\nsl.e = 1e5\r\nsl.f = true\r\n= 5\r\nsl.g 3\r\nsl.h = \"\"\r\n"
                              "sl.i = \"\xC3\xA9\xFF broken\"\r\nsl.j = 0.1234567\r\nsl.k = \"\"\"\r\n";
    const std::string first = RoundTrip(messy);
    const std::string second = RoundTrip(first);
    EXPECT_EQ(SortedLines(second), SortedLines(first));
    EXPECT_EQ(RoundTrip(second), first);  // two loads restore the table order too
    const std::vector<std::string> lines = SortedLines(first);
    EXPECT_NE(std::find(lines.begin(), lines.end(), " = 5\r"), lines.end());  // the empty key survives
    EXPECT_NE(std::find(lines.begin(), lines.end(), "sl.i = \"\xC3\xA9\"\r"), lines.end());  // cut at invalid UTF-8
    EXPECT_NE(std::find(lines.begin(), lines.end(), "sl.k = \"\"\"\r"), lines.end());
}

TEST_F(StorageLoaderTest, LongLinesAreReadInParts) {
    Global::Int tail("sl.tail", 0, &group);
    // 65535 bytes are read first; the rest of the line is a line of its own.
    std::string line = "sl.long = \"" + std::string(65535 - 11, 'a') + "sl.tail = 7\r\n";
    StorageLoader loader(&group);
    loader.Load(String(Write("long.cfg", line).c_str()));
    EXPECT_EQ(tail.GetInt(), 7);
    EXPECT_EQ(Global::Registry::Instance().GetValue("sl.long").Text().Length(), 65535u - 11);
}

TEST_F(StorageLoaderTest, RepeatedForeignKeysReuseOneVariable) {
    Global::Group otherGroup = true;
    int callbacks = 0;
    Global::Double foreign("sl.foreign", 0.0, [&](const String&, const Global::Value&) { ++callbacks; }, &otherGroup);
    std::string file;
    for (int i = 1; i <= 20000; ++i) file += "sl.foreign = " + std::to_string(i) + "\r\n";
    StorageLoader loader(&group);
    loader.Load(String(Write("repeat.cfg", file).c_str()));
    EXPECT_EQ(foreign.GetInt(), 20000);
    EXPECT_EQ(callbacks, 0);  // a file of another group sets without the callback
    // One callback per instance: the definition and a single loader variable.
    Global::Registry::Instance().AssignByName("sl.foreign", Global::Value(1));
    EXPECT_EQ(callbacks, 2);
    EXPECT_FALSE(Global::Registry::Instance().IsInGroup("sl.foreign", &group));
}

TEST_F(StorageLoaderTest, FailedSaveKeepsTheOldFile) {
    const std::string path = Write("Global.cfg", kBom + "sl.keep = \"old\"\r\n");
    Global::WString keep("sl.keep", u"", &group);
    Global::WString bulk("sl.bulk", WideString(std::u16string(200000, u'z')), &group);
    StorageLoader loader(&group);
    loader.Load(String(path.c_str()));
    keep.SetWString(u"new");

    // The disk fills up mid-write: a child process limited to small files saves.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(loader.Save() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the save reported success";
    EXPECT_EQ(ReadWholeFile(path), kBom + "sl.keep = \"old\"\r\n");

    // An unwritable place fails too.
    StorageLoader nowhere(&group);
    nowhere.Load(String((dir / "missing/Global.cfg").c_str()));
    EXPECT_FALSE(nowhere.Save());

    // Only the file itself is left: no temporary files.
    EXPECT_TRUE(loader.Save());
    std::size_t entries = 0;
    for (const auto& entry : boost::filesystem::directory_iterator(dir.Path())) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 1u);
}

// A link planted in place of a configuration file: the saved file takes the link's
// name, and neither the bytes nor the mode of the file it pointed to are touched or taken.
TEST_F(StorageLoaderTest, ALinkInPlaceOfTheFileIsReplacedNotFollowed) {
    Global::WString value("sl.linked", u"saved", &group);
    const LinkBait bait(dir / "etc/shadow", dir / "Personal/Global.cfg");
    StorageLoader loader(&group);
    loader.Load(String((dir / "Personal/Global.cfg").c_str()));
    ASSERT_TRUE(loader.Save());
    EXPECT_TRUE(bait.Untouched());
    EXPECT_TRUE(bait.ReplacedByAFile());
    EXPECT_NE(ReadWholeFile(dir / "Personal/Global.cfg").find("sl.linked = \"saved\""), std::string::npos);
    struct stat info {};
    ASSERT_EQ(::stat((dir / "Personal/Global.cfg").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);
}

}  // namespace
