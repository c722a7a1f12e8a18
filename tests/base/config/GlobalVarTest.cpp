#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "base/config/ConfigLine.h"
#include "base/config/GlobalRegistry.h"
#include "base/config/GlobalVar.h"
#include "base/runtime/StrUtil.h"

namespace {

Global::Group testGroup = true;

std::string Text(const Global::Value& value) { return StrUtil::ToNarrow(value.Text()).Std(); }

TEST(GlobalValue, KeepsNumberAndText) {
    struct Case {
        Global::Value value;
        Global::ValueType type;
        double number;
        const char* text;
    } cases[] = {
        {Global::Value(), Global::ValueType::unset, 0, "0"},
        {Global::Value(42), Global::ValueType::number, 42, "42"},
        {Global::Value(2.5), Global::ValueType::number, 2.5, "2.5"},
        {Global::Value(1234567.0), Global::ValueType::number, 1234567, "1.23457e+06"},
        {Global::Value(0.1f), Global::ValueType::number, static_cast<double>(0.1f), "0.1"},
        {Global::Value(true), Global::ValueType::number, 1, "1"},
        {Global::Value(false), Global::ValueType::number, 0, "0"},
        {Global::Value("12abc"), Global::ValueType::text, 12, "12abc"},
        {Global::Value("abc"), Global::ValueType::text, 0, "abc"},
        {Global::Value(" -1.5e2x"), Global::ValueType::text, -150, " -1.5e2x"},
        // Only finite decimals count as numbers of a text.
        {Global::Value("inf"), Global::ValueType::text, 0, "inf"},
        {Global::Value("nan"), Global::ValueType::text, 0, "nan"},
        {Global::Value("1e400"), Global::ValueType::text, 0, "1e400"},
        {Global::Value(u"\u00e9t\u00e9"), Global::ValueType::text, 0, "\xc3\xa9t\xc3\xa9"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.value.Type(), c.type) << c.text;
        EXPECT_EQ(c.value.Number(), c.number) << c.text;
        EXPECT_EQ(Text(c.value), c.text);
    }
}

TEST(GlobalVar, GettersTruncateAndSaturate) {
    Global::Double var("gv.getint", 0.0, &testGroup);
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double number;
        int expected;
    } cases[] = {
        {2.9, 2},
        {-2.9, -2},
        {1e20, std::numeric_limits<int>::max()},
        {-1e20, std::numeric_limits<int>::min()},
        {inf, std::numeric_limits<int>::max()},
        {-inf, std::numeric_limits<int>::min()},
        {std::nan(""), 0},
        {2147483647.5, std::numeric_limits<int>::max()},
    };
    for (const Case& c : cases) {
        var.Assign(Global::Value(c.number));
        EXPECT_EQ(var.GetInt(), c.expected) << c.number;
    }
    var.Assign(Global::Value(1e300));
    EXPECT_EQ(var.GetFloat(), std::numeric_limits<float>::max());
    var.Assign(Global::Value(-1e300));
    EXPECT_EQ(var.GetFloat(), -std::numeric_limits<float>::max());
    var.SetString("7 apples");
    EXPECT_EQ(var.GetInt(), 7);
    EXPECT_TRUE(var.GetBool());
    EXPECT_TRUE(var.Equals("7 apples"));
    EXPECT_FALSE(var.Equals("7 apple"));
}

TEST(GlobalVar, ReferenceFollowsItsDefinitionWhicheverComesFirst) {
    Global::Int early("gv.order");
    EXPECT_TRUE(early.GetValue().IsUnset());
    EXPECT_EQ(Text(early.GetValue()), "0");
    {
        Global::Int definition("gv.order", 5, &testGroup);
        EXPECT_EQ(early.GetInt(), 5);
        Global::Int late("gv.order");
        EXPECT_EQ(late.GetInt(), 5);
        late.SetInt(9);
        EXPECT_EQ(definition.GetInt(), 9);
        EXPECT_EQ(early.GetInt(), 9);
        EXPECT_EQ(Global::Registry::Instance().GetValue("gv.order").Number(), 9);
    }
    // With the definition gone, the entry has no group: reads by name see nothing.
    EXPECT_TRUE(Global::Registry::Instance().GetValue("gv.order").IsUnset());
    EXPECT_EQ(early.GetInt(), 9);
}

TEST(GlobalVar, FirstDefinitionKeepsGroupAndCallbackLastSetsValue) {
    std::vector<std::string> calls;
    Global::Group otherGroup = true;
    Global::Bool first("gv.twice", true, [&](const String& name, const Global::Value& value) {
        calls.push_back(name.Std() + "=" + Text(value));
    }, &testGroup);
    Global::Bool second("gv.twice", false, [&](const String&, const Global::Value&) { calls.push_back("second"); },
                        &otherGroup);
    EXPECT_FALSE(first.GetBool());
    EXPECT_TRUE(Global::Registry::Instance().IsInGroup("gv.twice", &testGroup));

    // One callback per instance, and setters notify even without a change.
    Global::Registry::Instance().AssignByName("gv.twice", Global::Value(true));
    EXPECT_EQ(calls, (std::vector<std::string>{"gv.twice=1", "gv.twice=1"}));
    second.SetBool(true);
    EXPECT_EQ(calls.size(), 3u);
}

TEST(GlobalVar, CommandsAndVariablesDoNotShareNames) {
    Global::Registry& registry = Global::Registry::Instance();
    Global::Int shadow("alias", 3, &testGroup);
    EXPECT_FALSE(registry.Exists("alias"));
    registry.AssignByName("alias", Global::Value(8));
    EXPECT_EQ(shadow.GetInt(), 3);

    static const bool on = true;
    int runs = 0;
    Global::Int taken("gv.taken", 1, &testGroup);
    Global::Command refused("gv.taken", [&](const Config::CommandLine&, void*) { ++runs; }, nullptr, &on);
    Config::CommandLine line{u"gv.taken", "gv.taken", u"", {}};
    EXPECT_FALSE(registry.RunCommand(line));

    static const bool off = false;
    {
        Global::Command command("gv.cmd", [&](const Config::CommandLine&, void* value) {
            runs += *static_cast<int*>(value);
        }, &runs, &on);
        int two = 2;
        Global::Command second("gv.cmd", [&](const Config::CommandLine&, void*) { runs += two; }, nullptr, &on);
        Global::Command otherOwner("gv.cmd", [&](const Config::CommandLine&, void*) { runs += 100; }, nullptr, &off);
        runs = 1;
        line.key = "gv.cmd";
        EXPECT_TRUE(registry.RunCommand(line));
        EXPECT_EQ(runs, 4);  // 1 + 1 + 2: the refused owner never ran
    }
    EXPECT_FALSE(registry.RunCommand(line));
}

TEST(GlobalRegistry, ListGroupFollowsTableOrder) {
    Global::Group group = true;
    std::vector<std::unique_ptr<Global::Int>> vars;
    HashMap<String, int> expected(13);
    // Few enough that the table keeps its first 13 buckets: other tests' saved line
    // order depends on the bucket count, which never shrinks. Like the golden files,
    // this expects the table of a fresh process, as ctest runs every test.
    for (int i = 0; i < 10; ++i) {
        const String name = StrUtil::Format("gv.list%d", i);
        vars.push_back(std::make_unique<Global::Int>(name, i, &group));
        expected.Insert(name, i);
    }
    Global::Int outsider("gv.list.outsider", 0, &testGroup);
    const StringVector names = Global::Registry::Instance().ListGroup(&group);
    ASSERT_EQ(names.Size(), 10u);
    std::size_t i = 0;
    for (auto* node = expected.First(); node; node = expected.Next(node)) EXPECT_EQ(names[i++], node->key);

    // A group switched off hides its entries from reads and assignments by name.
    group = false;
    EXPECT_TRUE(Global::Registry::Instance().GetValue("gv.list3").IsUnset());
    Global::Registry::Instance().AssignByName("gv.list3", Global::Value(99));
    EXPECT_EQ(vars[3]->GetInt(), 3);
}

}  // namespace
