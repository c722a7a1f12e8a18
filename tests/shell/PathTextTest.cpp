#include <gtest/gtest.h>

#include "shell/PathText.h"

namespace {

WideString W(const char16_t* text) { return WideString(text); }

TEST(PathText, JoinsSplitsAndComparesGenericPaths) {
    EXPECT_EQ(PathText::Join(W(u"../"), W(u"Patches/")).View(), u"../Patches/");
    EXPECT_EQ(PathText::Join(W(u"C:\\Games\\Game"), W(u"bin/Launcher.exe")).View(), u"C:/Games/Game/bin/Launcher.exe");
    EXPECT_EQ(PathText::Join(W(u""), W(u"x")).View(), u"x");
    EXPECT_EQ(PathText::LastComponent(W(u"/a/bin/")).View(), u"bin");
    EXPECT_EQ(PathText::LastComponent(W(u"Launcher.exe")).View(), u"Launcher.exe");
    EXPECT_EQ(PathText::Parent(W(u"/tmp/Upd/bin/Launcher.exe")).View(), u"/tmp/Upd/bin");
    EXPECT_EQ(PathText::Parent(W(u"/Launcher.exe")).View(), u"/");
    EXPECT_EQ(PathText::Parent(W(u"Launcher.exe")).View(), u"");
    EXPECT_EQ(PathText::ReplaceExtension(W(u"../bin/demo.bin"), W(u"old")).View(), u"../bin/demo.old");
    EXPECT_EQ(PathText::ReplaceExtension(W(u"../bin.d/demo"), W(u"old")).View(), u"../bin.d/demo.old");
    EXPECT_TRUE(PathText::IsInside(W(u"/g/bin/x"), W(u"/g")));
    EXPECT_TRUE(PathText::IsInside(W(u"/g"), W(u"/g/")));
    EXPECT_FALSE(PathText::IsInside(W(u"/gx/bin"), W(u"/g")));
    EXPECT_FALSE(PathText::IsInside(W(u"/g/bin"), W(u"")));
    EXPECT_FALSE(PathText::IsInside(W(u"/g/bin"), W(u"/")));
}

}  // namespace
