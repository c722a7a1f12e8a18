#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/runtime/StrUtil.h"

namespace {

template <class T>
struct ParseCase {
    const char* text;
    bool ok;
    T value;
};

template <class T, class F>
void CheckParses(F parse, const std::vector<ParseCase<T>>& cases) {
    for (const auto& c : cases) {
        bool ok = !c.ok;
        const T value = parse(c.text, &ok);
        EXPECT_EQ(ok, c.ok) << '"' << c.text << '"';
        EXPECT_EQ(value, c.value) << '"' << c.text << '"';
    }
}

TEST(StrUtilParse, Integers) {
    CheckParses<int>(StrUtil::ParseInt, {{"42", true, 42},
                                         {"  -17 apples", true, -17},
                                         {"0x1F", true, 31},
                                         {"010", true, 8},
                                         {"0x", true, 0},
                                         {"2147483647", true, 2147483647},
                                         {"-2147483648", true, -2147483647 - 1},
                                         {"2147483648", false, 0},
                                         {"99999999999999999999", false, 0},
                                         {"abc", false, 0},
                                         {"", false, 0},
                                         {"-", false, 0}});
    CheckParses<int>(StrUtil::ParseDec, {{"010", true, 10}, {"0x10", true, 0}, {"+5", true, 5}});
    CheckParses<std::uint32_t>(StrUtil::ParseHex, {{"ff", true, 255u},
                                                   {"0xFFFFFFFF", true, 0xFFFFFFFFu},
                                                   {"100000000", false, 0u},
                                                   {"zz", false, 0u}});
    CheckParses<std::int64_t>(StrUtil::ParseInt64, {{"9223372036854775807", true, INT64_MAX},
                                                    {"-9223372036854775808", true, INT64_MIN},
                                                    {"9223372036854775808", false, 0}});
}

TEST(StrUtilParse, FloatsAreFiniteDecimalsOnly) {
    CheckParses<double>(StrUtil::ParseDouble, {{"1.5", true, 1.5},
                                               {" -2.25e2x", true, -225.0},
                                               {"+.5", true, 0.5},
                                               {"1e+3", true, 1000.0},
                                               {"nan", false, 0.0},
                                               {"inf", false, 0.0},
                                               {"-infinity", false, 0.0},
                                               {"0x1p3", false, 0.0},
                                               {"1e999", false, 0.0},
                                               {".", false, 0.0}});
    CheckParses<float>(StrUtil::ParseFloat, {{"0.25", true, 0.25f}, {"1e39", false, 0.0f}});
}

TEST(StrUtilParse, Booleans) {
    CheckParses<bool>(StrUtil::ParseBool, {{"ON", true, true},
                                           {"Enable", true, true},
                                           {"false", true, false},
                                           {"off", true, false},
                                           {"2", true, true},
                                           {"0", true, false},
                                           {"maybe", false, false}});
}

TEST(StrUtilParse, HexNumbers) {
    const std::pair<const char*, bool> cases[] = {
        {"-0x1F", true}, {"+0xab", true}, {"0x0", true}, {"0X1F", false}, {"0x", false}, {"0x1G", false}, {"1F", false}};
    for (const auto& [text, expected] : cases) EXPECT_EQ(StrUtil::IsHexNumber(String(text)), expected) << text;
}

TEST(StrUtilHex, RoundTripAndBounds) {
    const std::uint8_t bytes[] = {0x0A, 0xFF};
    char text[5] = {};
    StrUtil::ToHex(bytes, 2, text);
    EXPECT_STREQ(text, "0aff");

    std::uint8_t out[2] = {};
    std::size_t written = 0;
    EXPECT_TRUE(StrUtil::FromHex("0AfF", out, 2, &written));
    EXPECT_EQ(written, 2u);
    EXPECT_EQ(out[1], 0xFF);
    EXPECT_FALSE(StrUtil::FromHex("0aff01", out, 2, &written));  // longer than the output
    EXPECT_EQ(written, 2u);
    EXPECT_FALSE(StrUtil::FromHex("abc", out, 2, &written));     // odd count of digits
    EXPECT_FALSE(StrUtil::FromHex("zz", out, 2, &written));
    EXPECT_EQ(written, 0u);
}

std::vector<std::string> Pieces(const char* text, const char* separator) {
    StringVector out;
    StrUtil::Split(String(text), String(separator), out);
    std::vector<std::string> pieces;
    for (const String& piece : out) pieces.emplace_back(piece.CStr());
    return pieces;
}

TEST(StrUtilSplit, KeepsEmptyPiecesAndStopsOnAnEmptySeparator) {
    EXPECT_EQ(Pieces("a,,b", ","), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(Pieces("", ","), (std::vector<std::string>{""}));
    EXPECT_EQ(Pieces(",", ","), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(Pieces("a::b::", "::"), (std::vector<std::string>{"a", "b", ""}));
    EXPECT_EQ(Pieces("abc", ""), (std::vector<std::string>{"abc"}));
    EXPECT_STREQ(StrUtil::ReplaceAll(String("a.b.c"), String("."), String("::")).CStr(), "a::b::c");
    EXPECT_STREQ(StrUtil::ReplaceAll(String("abc"), String(""), String("x")).CStr(), "abc");
    EXPECT_TRUE(StrUtil::ReplaceAllW(WideString(u"x-y"), WideString(u"-"), WideString(u"")).Equals(u"xy"));
}

TEST(StrUtilSplit, QuotedTokensKeepTheirSeparatorsAndQuotes) {
    struct Case {
        const char16_t* text;
        std::vector<std::u16string> tokens;
    };
    const Case cases[] = {
        {u"key = \"two words\"", {u"key", u"=", u"\"two words\""}},
        {u"  a\t b  ", {u"a", u"b"}},
        {u"\"unbalanced quote rest", {u"\"unbalanced quote rest"}},
        {u"", {}},
    };
    for (const Case& c : cases) {
        WideStringVector out;
        StrUtil::SplitQuoted(WideString(c.text), StrUtil::kBlanksW, out);
        std::vector<std::u16string> tokens;
        for (const WideString& token : out) tokens.push_back(token.Std());
        EXPECT_EQ(tokens, c.tokens);
    }
}

TEST(StrUtilText, TrimAndBom) {
    String blanks("   ");
    StrUtil::TrimRight(blanks);
    EXPECT_TRUE(blanks.IsEmpty());
    String text(" \t x y \r\n");
    StrUtil::TrimLeft(text);
    StrUtil::TrimRight(text);
    EXPECT_STREQ(text.CStr(), "x y");
    String empty;
    StrUtil::TrimLeft(empty);
    EXPECT_TRUE(empty.IsEmpty());

    String withBom("\xEF\xBB\xBFkey");
    EXPECT_TRUE(StrUtil::StartsWithBom(withBom));
    StrUtil::StripBom(withBom);
    EXPECT_STREQ(withBom.CStr(), "key");
    EXPECT_FALSE(StrUtil::StartsWithBom(String("\xEF\xBB")));
    EXPECT_EQ(StrUtil::ToLower(static_cast<char>(0xC9)), static_cast<char>(0xC9));
}

TEST(StrUtilText, LetterCaseFoldsTheAsciiWayOnlyInNarrowAndWideText) {
    // Cyrillic, Latin-1 and the units just outside 'A'..'Z' stay as they are.
    EXPECT_TRUE(StrUtil::ToLowerAscii(WideString(u"BIN/Д\u00C9@[Launcher.EXE")).Equals(u"bin/Д\u00C9@[launcher.exe"));
    EXPECT_EQ(StrUtil::ToLowerAscii(std::string_view("VaraRurezod.EXE \xD0\x94@[")), "vararurezod.exe \xD0\x94@[");
    struct Case {
        const char* a;
        const char* b;
        bool equal;
    } cases[] = {{"Game.Version", "game.version", true}, {"", "", true},        {"game.versio", "game.version", false},
                 {"@", "`", false},                      {"[", "{", false},     {"\xD0\x94", "\xD0\xB4", false}};
    for (const Case& c : cases) EXPECT_EQ(StrUtil::EqualsIgnoringCase(c.a, c.b), c.equal) << c.a << " " << c.b;
}

TEST(StrUtilFormat, ResultsAreCutAt65535Units) {
    const std::string big(70000, 'x');
    EXPECT_EQ(StrUtil::Format("%s", big.c_str()).Length(), 65535u);
    EXPECT_EQ(StrUtil::FormatW("%s!", big.c_str()).Length(), 65535u);
    EXPECT_TRUE(StrUtil::FormatW("%d-%s", 7, "\xC3\xA9").Equals(u"7-\u00E9"));
    EXPECT_EQ(std::strlen(StrUtil::FormatStatic("%s", big.c_str())), 65535u);
}

TEST(StrUtilFormat, StaticJoinsCannotOverflow) {
    const std::string big(40000, 'y');
    EXPECT_EQ(std::strlen(StrUtil::JoinStatic(big.c_str(), big.c_str())), 65535u);
    EXPECT_EQ(std::strlen(StrUtil::JoinStatic3(big.c_str(), '/', big.c_str())), 65535u);
    EXPECT_STREQ(StrUtil::JoinStatic3("a", '/', "b"), "a/b");
    EXPECT_EQ(std::strlen(StrUtil::CopyToStatic(std::string(70000, 'z').c_str())), 65535u);
    EXPECT_STREQ(StrUtil::ClearStatic(), "");
    EXPECT_TRUE(StrUtil::Int64ToWide(-9000000000LL).Equals(u"-9000000000"));
    EXPECT_TRUE(StrUtil::DoubleToWide(0.5).Equals(u"0.5"));
}

TEST(StrUtilFormat, CtypeScopeLeavesNumberFormattingAlone) {
    StrUtil::CtypeLocaleScope scope;
    EXPECT_STREQ(StrUtil::Format("%.1f", 1.5).CStr(), "1.5");
}

}  // namespace
