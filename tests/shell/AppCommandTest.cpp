// The page's command texts: the code and argument split, the navigation channel's
// decoding, and which external addresses may leave the launcher.
#include <gtest/gtest.h>

#include <climits>

#include "shell/html/AppCommand.h"

namespace {
std::u16string Wide(const char* utf8) { return WideString(String(utf8)).Std(); }
}

TEST(AppCommand, SplitsCodeAndArgumentLikeTheRuntimeReadsNumbers) {
    struct Case {
        const char* text;
        int code;
        const char* argument;
    } cases[] = {
        {"30", 30, ""},
        {"30@x@y", 30, "x@y"},
        {"700", 700, ""},
        {"-5", -5, ""},
        {" +7@a", 7, "a"},
        {"99999999999", INT_MAX, ""},
        {"-99999999999", INT_MIN, ""},
        {"abc@x", 0, "x"},
        {"", 0, ""},
        {"@", 0, ""},
        {"12abc@100@ru", 12, "100@ru"},
    };
    for (const Case& c : cases) {
        int code = -1;
        WideString argument;
        SplitAppCommand(WideString(String(c.text)), code, argument);
        EXPECT_EQ(code, c.code) << c.text;
        EXPECT_EQ(argument.Std(), Wide(c.argument)) << c.text;
    }
}

TEST(AppCommand, NavigationAddressesAreRecognisedAndDecoded) {
    EXPECT_TRUE(IsAppAddress("app:30"));
    EXPECT_TRUE(IsAppAddress("APP:10"));
    EXPECT_FALSE(IsAppAddress("ap:30"));
    EXPECT_FALSE(IsAppAddress("vfs://app:30"));

    struct Case {
        const char* encoded;
        const char* decoded;
    } cases[] = {
        {"9000@%D0%9F%D1%91%D1%82%D1%80", "9000@Пётр"},
        {"100@a%40b", "100@a@b"},
        {"1@%zz%4", "1@%zz%4"},
        {"1@x%00y", "1@x%00y"},
        {"1@%FF", "1@\xEF\xBF\xBD"},
    };
    for (const Case& c : cases) EXPECT_EQ(DecodePercentEscapes(c.encoded).Std(), Wide(c.decoded)) << c.encoded;
}

TEST(AppCommand, OpenHrefMarkerAndSafeAddresses) {
    std::string target;
    ASSERT_TRUE(FindOpenHref("vfs://Launcher/res/launcher.htm?OPEN_HREF:https://example.org/x", target));
    EXPECT_EQ(target, "https://example.org/x");
    ASSERT_TRUE(FindOpenHref("open_href:http://example.org/", target));  // WebKit lowers the scheme
    EXPECT_EQ(target, "http://example.org/");
    EXPECT_FALSE(FindOpenHref("vfs://x/open_href:http://example.org/", target));

    for (const char* good : {"http://example.org/", "HTTPS://example.org/a?b", "mailto:help@example.org"})
        EXPECT_TRUE(IsSafeExternalAddress(good)) << good;
    for (const char* bad : {"file:///etc/passwd", "/usr/bin/xterm", "-e", "javascript:alert(1)", "game.desktop",
                            "https://x/\nfile:///", ""})
        EXPECT_FALSE(IsSafeExternalAddress(bad)) << bad;
}
