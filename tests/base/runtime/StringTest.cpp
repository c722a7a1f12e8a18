#include <gtest/gtest.h>

#include <string>

#include "base/runtime/StrUtil.h"
#include "base/runtime/String.h"
#include "base/runtime/Utf.h"

namespace {

TEST(String, DefaultCapacityIsEightAndAFullBufferDoubles) {
    String s;
    EXPECT_EQ(s.Capacity(), 8u);
    EXPECT_EQ(s.CStr()[0], 0);
    s.Append("1234567");
    EXPECT_EQ(s.Capacity(), 8u);
    s.Append('8');
    EXPECT_EQ(s.Capacity(), 15u);
    EXPECT_STREQ(s.CStr(), "12345678");
}

TEST(String, CapacityRules) {
    String empty("");
    EXPECT_EQ(empty.Capacity(), 1u);
    empty.Append('x');
    EXPECT_EQ(empty.Capacity(), 2u);

    String s("abcdef");
    EXPECT_EQ(s.Capacity(), 7u);
    s.Reserve(2);
    EXPECT_EQ(s.Capacity(), 7u);
    s.Assign("ab");
    EXPECT_EQ(s.Capacity(), 7u);
    EXPECT_STREQ(s.CStr(), "ab");
    s.AppendFill(10, '-');
    EXPECT_EQ(s.Capacity(), 13u);
    EXPECT_EQ((String("abc") + String("de")).Capacity(), 6u);
    EXPECT_EQ(String("abcdef").Substr(2, 100).Capacity(), 5u);
}

TEST(String, AppendingItsOwnTextSurvivesRegrowth) {
    String s("abcdefg");
    s.Append(s.CStr(), s.CStr() + s.Length());
    s.Append(s);
    EXPECT_STREQ(s.CStr(), "abcdefgabcdefgabcdefgabcdefg");
    WideString w(u"xyz");
    w.Append(w.CStr() + 1, w.CStr() + 3);
    EXPECT_TRUE(w.Equals(u"xyzyz"));
}

TEST(String, PositionsPastTheEndAreClamped) {
    const WideString w(u"hello");
    EXPECT_EQ(w.Substr(9).Length(), 0u);
    EXPECT_EQ(w.Compare(9, 3, u""), 0);
    EXPECT_LT(w.Compare(9, 3, u"a"), 0);
    EXPECT_EQ(w.Compare(1, 3, u"ell"), 0);
    EXPECT_LT(w.Compare(1, 2, u"ell"), 0);
    EXPECT_EQ(w.Find(u"lo", 3), 3);
    EXPECT_EQ(w.Find(u"lo", 4), -1);
    EXPECT_EQ(w.Find(u"x", 99), -1);
}

TEST(String, AssignLowerIsAsciiOnlyAndSafeForHighBytes) {
    String lowered;
    lowered.AssignLower(String("MiXeD \xC3\x89"));
    EXPECT_STREQ(lowered.CStr(), "mixed \xC3\x89");
}

struct Utf8Case {
    const char* name;
    std::string input;
    ConversionResult result;
    std::u16string prefix;
};

TEST(Utf, StrictUtf8ToUtf16Cases) {
    const Utf8Case cases[] = {
        {"ascii", "abc", ConversionResult::conversionOK, u"abc"},
        {"four-byte", "\xF0\x9F\x98\x80", ConversionResult::conversionOK, u"\U0001F600"},
        {"overlong two", "a\xC0\x80", ConversionResult::sourceIllegal, u"a"},
        {"overlong three", "a\xE0\x80\x80", ConversionResult::sourceIllegal, u"a"},
        {"encoded surrogate", "a\xED\xA0\x80", ConversionResult::sourceIllegal, u"a"},
        {"above U+10FFFF", "a\xF4\x90\x80\x80", ConversionResult::sourceIllegal, u"a"},
        {"lone continuation", "a\x80", ConversionResult::sourceIllegal, u"a"},
        {"truncated at end", "ab\xE2\x82", ConversionResult::sourceExhausted, u"ab"},
        {"truncated by a bad byte", "ab\xE2\x41", ConversionResult::sourceIllegal, u"ab"},
        {"first byte F5", "\xF5\x80\x80\x80", ConversionResult::sourceIllegal, u""},
    };
    for (const Utf8Case& c : cases) {
        char16_t out[16];
        const ConversionProgress p = ConvertUtf8ToUtf16(c.input.data(), c.input.size(), out, 16);
        EXPECT_EQ(p.result, c.result) << c.name;
        EXPECT_EQ(std::u16string(out, p.written), c.prefix) << c.name;
    }
    char16_t small[1];
    EXPECT_EQ(ConvertUtf8ToUtf16("\xF0\x9F\x98\x80", 4, small, 1).result, ConversionResult::targetExhausted);
}

TEST(Utf, StrictUtf16ToUtf8Cases) {
    struct Case {
        const char* name;
        std::u16string input;
        ConversionResult result;
        std::string prefix;
    };
    const Case cases[] = {
        {"pair", u"a\U0001F600", ConversionResult::conversionOK, "a\xF0\x9F\x98\x80"},
        {"lone low", std::u16string(u"a") + char16_t(0xDC00), ConversionResult::sourceIllegal, "a"},
        {"high then letter", std::u16string(u"a") + char16_t(0xD800) + u'b', ConversionResult::sourceIllegal, "a"},
        {"high at end", std::u16string(u"a") + char16_t(0xD800), ConversionResult::sourceExhausted, "a"},
    };
    for (const Case& c : cases) {
        char out[16];
        const ConversionProgress p = ConvertUtf16ToUtf8(c.input.data(), c.input.size(), out, 16);
        EXPECT_EQ(p.result, c.result) << c.name;
        EXPECT_EQ(std::string(out, p.written), c.prefix) << c.name;
    }
}

TEST(Utf, WideToUtf8TakesTheSecondPassForThreeByteText) {
    const WideString cjk(u"\u6F22\u5B57\u6F22\u5B57\u6F22\u5B57\u6F22\u5B57\u6F22\u5B57\u6F22\u5B57");
    String utf8;
    EXPECT_TRUE(StrUtil::WideToUtf8(utf8, cjk));
    EXPECT_EQ(utf8.Length(), 36u);
    WideString back;
    EXPECT_TRUE(StrUtil::Utf8ToWide(back, utf8));
    EXPECT_TRUE(back.Equals(cjk));
}

TEST(Utf, CodePageConversionsKeepLongCjkTextAndReplaceBadUnits) {
    WideString cjk;
    for (int i = 0; i < 40; ++i) cjk.Append(u'\u6F22');
    EXPECT_EQ(String(cjk).Length(), 120u);
    EXPECT_TRUE(WideString(String(cjk)).Equals(cjk));

    EXPECT_TRUE(WideString(String("a\xFF" "b")).Equals(u"a\uFFFDb"));
    EXPECT_TRUE(WideString(String("a\xE2\x82")).Equals(u"a\uFFFD"));
    const WideString lone = WideString(u"x") + WideString(std::u16string(1, char16_t(0xD800)));
    EXPECT_STREQ(String(lone).CStr(), "x\xEF\xBF\xBD");
}

TEST(Utf, Utf8ToNarrowLeavesTheOutputAloneOnInvalidInput) {
    String out("kept");
    EXPECT_FALSE(StrUtil::Utf8ToNarrow(out, String("\xC0\x80")));
    EXPECT_STREQ(out.CStr(), "kept");
    EXPECT_TRUE(StrUtil::Utf8ToNarrow(out, String("caf\xC3\xA9")));
    EXPECT_STREQ(out.CStr(), "caf\xC3\xA9");
}

}  // namespace
