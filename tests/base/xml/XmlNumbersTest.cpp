#include "base/xml/XmlNumbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

TEST(XmlNumbers, Integers) {
    struct Case {
        const char* text;
        bool ok;
        std::int64_t value;
    };
    const Case cases[] = {
        {"0x1F", true, 31},          {"0X1F", true, 0},           {"-12abc", true, -12},
        {"+5", true, 0},             {" 5", true, 0},             {"", true, 0},
        {"0x", true, 0},             {"-", true, 0},              {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483648LL}, {"2147483648", false, 0}, {"99999999999", false, 0},
        {"0xFFFFFFFF", false, 0},    {"0x7fffffff", true, 2147483647},
    };
    for (const Case& c : cases) {
        int value = 1234;
        EXPECT_EQ(XmlTextToInt(c.text, std::strlen(c.text), &value), c.ok) << c.text;
        EXPECT_EQ(value, c.ok ? c.value : 1234) << c.text;
    }
    std::int64_t wide = 0;
    EXPECT_TRUE(XmlTextToInt64("-9223372036854775808", 20, &wide));
    EXPECT_EQ(wide, std::numeric_limits<std::int64_t>::min());
    EXPECT_FALSE(XmlTextToInt64("9223372036854775808", 19, &wide));
}

TEST(XmlNumbers, RealsAcceptPlusExponentsAndRefuseOverflow) {
    struct Case {
        const char* text;
        bool ok;
        double value;
    };
    const Case cases[] = {
        {"1.5e-2", true, 0.015}, {"2e+3", true, 2000}, {"1.23457e+06", true, 1234570}, {"-0.5x", true, -0.5},
        {"1e", true, 1},          {"1e+", true, 1},     {"", true, 0},                 {"abc", true, 0},
        {"1e999999999", false, 0},
    };
    for (const Case& c : cases) {
        double value = 42;
        EXPECT_EQ(XmlTextToDouble(c.text, std::strlen(c.text), &value), c.ok) << c.text;
        EXPECT_DOUBLE_EQ(value, c.ok ? c.value : 42) << c.text;
    }
    float f = 0;
    EXPECT_FALSE(XmlTextToFloat("1e39", 4, &f));
}

TEST(XmlNumbers, WrittenRealsReadBackExactly) {
    for (double value : {0.1, 1.0 / 3.0, 1234567.0, 1e300, -2.5e-300, 123456789012345678.0}) {
        const String text = XmlDoubleText(value);
        double back = 0;
        ASSERT_TRUE(XmlTextToDouble(text.CStr(), text.Length(), &back)) << text.CStr();
        EXPECT_EQ(back, value) << text.CStr();
    }
    for (float value : {0.1f, 16777217.0f, 3.4e38f, 1.17549435e-38f}) {
        const String text = XmlFloatText(value);
        float back = 0;
        ASSERT_TRUE(XmlTextToFloat(text.CStr(), text.Length(), &back)) << text.CStr();
        EXPECT_EQ(back, value) << text.CStr();
    }
    EXPECT_TRUE(XmlTextToBool("true", 4));
    EXPECT_TRUE(XmlTextToBool("1", 1));
    EXPECT_FALSE(XmlTextToBool("yes", 3));
    EXPECT_FALSE(XmlTextToBool("", 0));
}

}  // namespace
