// Event arguments reach the page exactly, as JSON data.
#include <gtest/gtest.h>

#include "shell/html/ScriptJson.h"
#include "support/JsonStrings.h"

TEST(ScriptJson, TextsRoundTripExactlyAndLoneSurrogatesBecomeReplacement) {
    const std::u16string pair = u"\U0001F600";
    static const char16_t kControls[] = u"nul\0inside\x01\x1f\x7f\t\r\n";
    const std::u16string controls(kControls, std::size(kControls) - 1);
    struct Case {
        std::u16string sent, received;
    } cases[] = {
        {u"", u""},
        {u"say \"hi\" \\ 'there'", u"say \"hi\" \\ 'there'"},
        {u"</script><script>alert(1)</script>", u"</script><script>alert(1)</script>"},
        {u"line\u2028sep\u2029para", u"line\u2028sep\u2029para"},
        {controls, controls},
        {u"Пётр µTorrent 3.5", u"Пётр µTorrent 3.5"},
        {pair, pair},
        {u"a\xD800z", u"a\xFFFDz"},
        {u"a\xDC00z", u"a\xFFFDz"},
        {u"end\xD83D", u"end\xFFFD"},
    };
    WideStringVector sent;
    for (const Case& c : cases) sent.PushBack(WideString(c.sent.data(), c.sent.data() + c.sent.size()));
    const std::string json = EncodeJsonStringArray(sent);

    // Nothing that could end a script element or a JavaScript line appears raw.
    EXPECT_EQ(json.find("\xE2\x80\xA8"), std::string::npos);
    std::vector<std::u16string> received;
    ASSERT_TRUE(ParseJsonStringArray(json, received)) << json;
    ASSERT_EQ(received.size(), std::size(cases));
    for (std::size_t i = 0; i < received.size(); ++i) EXPECT_EQ(received[i], cases[i].received) << i;
}
