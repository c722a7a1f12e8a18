#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

#include "base/io/FindFiles.h"
#include "base/io/Path.h"
#include "support/TempDir.h"

namespace {

std::string S(const String& s) { return s.Std(); }

TEST(PathText, JoinParentFileName) {
    struct Case { const char* base; const char* name; const char* joined; };
    const Case cases[] = {{"a\\", "\\b", "a\\b"}, {"a", "b", "a/b"}, {"", "b", "b"}, {"a", "", "a"},
                          {"a/", "b", "a/b"}, {"/x", "y/z", "/x/y/z"}};
    for (const Case& c : cases) EXPECT_EQ(S(Path::Join(c.base, c.name)), c.joined) << c.base << " + " << c.name;

    EXPECT_EQ(S(Path::FileName("dir/sub/file.txt")), "file.txt");
    EXPECT_EQ(S(Path::FileName("file.txt")), "file.txt");
    EXPECT_EQ(S(Path::ParentPath("file.txt")), "");
    EXPECT_EQ(S(Path::ParentPath("dir\\sub/file.txt")), "dir\\sub/");
    EXPECT_EQ(S(Path::ParentPath("/file")), "/");
}

TEST(PathText, PlainNamesStayWhereTheyAreJoined) {
    for (const char* plain : {"1.0.2", "a", "...", "a..b", ".hidden", "Пётр"}) EXPECT_TRUE(Path::IsPlainName(plain)) << plain;
    using std::string_view_literals::operator""sv;
    for (std::string_view other : {""sv, "."sv, ".."sv, "../x"sv, "a/b"sv, "a\\b"sv, "/"sv, "x\n"sv, "x\x7F"sv, "a\0b"sv})
        EXPECT_FALSE(Path::IsPlainName(other)) << other;
}

TEST(PathText, Normalize) {
    struct Case { const char* path; char sep; const char* normal; };
    const Case cases[] = {
        {"a\\.\\..\\b", '\\', "a\\b"},   // the ".." removes the "." before it
        {"a/../../b", '/', "../b"},
        {"c:\\a\\..\\b", '\\', "c:\\b"},
        {"/a/b/../c/", '/', "/a/c"},     // a leading '/' stays, a trailing one goes
        {"/../x", '/', "/x"},            // nothing lies above the root
        {"a//b", '/', "a/b"},
        {"a/..", '/', ""},
        {"..", '/', ".."},
    };
    for (const Case& c : cases) EXPECT_EQ(S(Path::Normalize(c.path, c.sep)), c.normal) << c.path;

    String p("x/y/../z");
    Path::NormalizeInPlace(p);
    EXPECT_EQ(S(p), "x/z");
}

TEST(PathText, RelativeAndStrip) {
    EXPECT_EQ(S(Path::RelativePathOfAbsolute("C:\\a\\b\\c.txt", "C:\\a\\d\\e")), "..\\..\\b\\c.txt");
    EXPECT_EQ(S(Path::RelativePathOfAbsolute("C:\\a\\b", "C:\\a")), "b");
    EXPECT_EQ(S(Path::RelativePathOfAbsolute("/a/B/c", "/a/b/")), "c");
    EXPECT_EQ(S(Path::RelativePathOfAbsolute("/a/b", "/A/B")), "");
    EXPECT_EQ(S(Path::RelativePathOfAbsolute("/ab/c", "/a")), "../ab/c");
    EXPECT_EQ(S(Path::UpLevels("d\\e", 3, '\\')), "..\\..\\");
    EXPECT_EQ(Path::CommonPrefixEnd("a/b/c", "a/b/d"), 3);
    EXPECT_EQ(Path::CommonPrefixEnd("a/bc", "a/bd"), 1);
    EXPECT_EQ(Path::CommonPrefixEnd("a/b", "a/b/c"), 2);
    EXPECT_EQ(S(Path::StripBase("Res/a/b.txt", "res/x")), "a/b.txt");
    EXPECT_EQ(S(Path::StripBase("other/b.txt", "res/x")), "/other/b.txt");
    EXPECT_EQ(S(Path::StripBase("", "res/x")), "");
    EXPECT_EQ(S(Path::Canonical("a\\x\\..\\b", "Res/", false)), "a/b");
    EXPECT_EQ(S(Path::Canonical("a\\x\\..\\b", "Res/", true)), "a\\b");
}

TEST(PathCompare, EqualHashAndFolders) {
    EXPECT_TRUE(Path::Equal("Launcher\\Res\\Launcher.HTM", "launcher/res/launcher.htm"));
    EXPECT_FALSE(Path::Equal("a/b", "a/bc"));
    EXPECT_EQ(Path::Hash("Launcher\\Res\\Launcher.HTM"), Path::Hash("launcher/res/launcher.htm"));
    EXPECT_EQ(Path::Hash("ab"), 5u * 'a' + 'b');
    EXPECT_EQ(Path::Hash("\xE9"), static_cast<std::uint32_t>(-23));  // bytes count as signed

    struct Case { const char* path; const char* folder; bool recursive; bool inside; };
    const Case cases[] = {
        {"data/a.txt", "data", false, true},     {"data/sub/a.txt", "data/", false, false},
        {"data/sub/a.txt", "data/", true, true}, {"database.txt", "data", true, false},
        {"database.txt", "data", false, false},  {"data/sub/", "data", false, true},
        {"a.txt", "", true, true},               {"data", "data", true, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Path::IsInFolder(c.path, c.folder, c.recursive), c.inside) << c.path << " in " << c.folder;
    }
}

TEST(PathCompare, LessPutsDirectChildrenFirst) {
    EXPECT_TRUE(Path::Less("data/z.txt", "data/a/b.txt"));
    EXPECT_FALSE(Path::Less("data/a/b.txt", "data/z.txt"));
    EXPECT_TRUE(Path::Less("data/a.txt", "data/B.txt"));
    EXPECT_FALSE(Path::Less("data/A.txt", "data/a.txt"));
    EXPECT_TRUE(Path::Less("data", "data/x"));

    // Sorted with Less, the direct children of a folder form one run after the folder.
    std::set<String, Path::LessFunctor> keys;
    for (const char* k : {"data/sub/y.txt", "data/b.txt", "data.txt", "data/a.txt", "data/sub/x/z", "zzz"}) keys.insert(k);
    std::string order;
    for (const String& k : keys) order += S(k) + " ";
    EXPECT_EQ(order, "data.txt zzz data/a.txt data/b.txt data/sub/y.txt data/sub/x/z ");
}

TEST(PathCompare, WildcardMatch) {
    struct Case { const char* pattern; const char* text; bool caseSensitive; bool match; };
    const Case cases[] = {
        {"*.PAK", "x.pak", false, true}, {"*.PAK", "x.pak", true, false}, {"a?c", "abc", true, true},
        {"*b", "abc", false, false},     {"*", "", false, true},          {"*.*", "noext", false, false},
        {"*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab", false, true},
        {"*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false, false}, {"a**", "a", false, true},
    };
    for (const Case& c : cases) EXPECT_EQ(Path::WildcardMatch(c.pattern, c.text, c.caseSensitive), c.match) << c.pattern;
}

TEST(PathText, PushBackGrowsByLength) {
    String s("abcd");
    s.PushBack('e');
    EXPECT_EQ(s.Capacity(), 9u);  // 4 + max(4, 1) and the terminator
    EXPECT_EQ(S(s), "abcde");
}

TEST(PathDisk, FoldersFilesAndCase) {
    TempDir dir;
    EXPECT_TRUE(Path::CreateFolders((dir / "a/b\\c/").c_str()));
    EXPECT_TRUE(Path::DirectoryExists((dir / "a/b/c").c_str()));
    EXPECT_FALSE(Path::FileExists((dir / "a/b").c_str()));
    dir.WriteFile("a/b/File.TXT", "x");
    EXPECT_TRUE(Path::FileExists((dir / "a/b/File.TXT").c_str()));
    EXPECT_TRUE(Path::DirectoryExists((dir / "a/b/File.TXT").c_str()));
    EXPECT_FALSE(Path::FileExists((dir / "a/b/missing").c_str()));

    String resolved;
    ASSERT_TRUE(Path::ResolveCase((dir / "A/B/file.txt").c_str(), resolved));
    EXPECT_EQ(S(resolved), dir / "a/b/File.TXT");
    EXPECT_FALSE(Path::ResolveCase((dir / "A/x/file.txt").c_str(), resolved));
    EXPECT_EQ(S(Path::ProperCase((dir / "A/x").c_str(), '/')), dir / "A/x");
    EXPECT_EQ(S(Path::AbsolutePath((dir / "A/q/../B/").c_str())), dir / "a/b/");

    dir.WriteFile("a/b/blocker", "");
    EXPECT_FALSE(Path::CreateFolders((dir / "a/b/blocker/sub/").c_str()));
}

TEST(PathDisk, TempNamesAndCurrentFolder) {
    TempDir dir;
    const String name = Path::TempFileName(dir.Path().c_str(), "gam");
    ASSERT_FALSE(name.IsEmpty());
    EXPECT_EQ(S(Path::ParentPath(name)), dir.Path());
    EXPECT_EQ(S(Path::FileName(name)).substr(0, 3), "gam");
    EXPECT_TRUE(Path::FileExists(name));
    EXPECT_NE(S(Path::TempFileName(dir.Path().c_str(), "gam")), S(name));
    EXPECT_TRUE(Path::TempFileName((dir / "missing/").c_str(), "gam").IsEmpty());

    const String temp = Path::TempPath();
    EXPECT_EQ(temp[temp.Length() - 1], '/');
    EXPECT_FALSE(Path::CurrentDirectory().IsEmpty());
    EXPECT_EQ(S(Path::AbsolutePath("x")), S(Path::CurrentDirectory()) + "/x");
}

TEST(PathDisk, FileTimeToDos) {
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(Path::FileTimeToDos(0), (1u << 21) | (1u << 16));  // before 1980: the first DOS day
    // 2013-05-28 17:45:03 UTC
    const std::uint32_t dos = Path::FileTimeToDos(1369763103);
    EXPECT_EQ(dos >> 16, (33u << 9) | (5u << 5) | 28u);
    EXPECT_EQ(dos & 0xFFFF, (17u << 11) | (45u << 5) | 1u);
    EXPECT_LT(Path::FileTimeToDos(1369763103), Path::FileTimeToDos(1369763105));
}

TEST(PathDisk, FindFilesMatchesWithoutCase) {
    TempDir dir;
    dir.WriteFile("x/One.PAK", "1");
    dir.WriteFile("x/two.pak", "22");
    dir.WriteFile("x/three.txt", "3");
    dir.WriteFile("x/sub.pak/inner", "");
    std::set<std::string> names;
    for (FindFiles find((dir / "x\\*.pak").c_str()); find.IsValid(); find.Next()) {
        names.insert(S(find.Name()) + (find.IsDirectory() ? "/" : ":" + std::to_string(find.Info().size)));
        EXPECT_EQ(S(find.FullPath()), dir / "x/" + S(find.Name()));
    }
    EXPECT_EQ(names, (std::set<std::string>{"One.PAK:1", "two.pak:2", "sub.pak/"}));
    std::size_t all = 0;
    for (FindFiles find((dir / "x/*.*").c_str()); find.IsValid(); find.Next()) ++all;
    EXPECT_EQ(all, 4u);
    FindFiles none((dir / "missing/*").c_str());
    EXPECT_FALSE(none.IsValid());
}

}  // namespace
