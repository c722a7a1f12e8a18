// The program's message boxes as toolkit dialogs: the buttons and the answer that a
// style asks for.
#include <gtest/gtest.h>

#include "platform/headless/HeadlessToolkit.h"
#include "shell/html/ToolkitMessageSink.h"

TEST(ToolkitMessageSink, AsksWithTheStylesButtonsAndReturnsTheAnswer) {
    HeadlessMessageBox boxes;
    boxes.quiet = true;
    ToolkitMessageSink sink(boxes);
    EXPECT_EQ(sink.Show(WideString(u"Файл заблокирован"), WideString(u"Launcher.exe"), MessageStyle::IconError),
              MessageResult::Ok);
    boxes.answerYes = false;
    EXPECT_EQ(sink.Show(WideString(u"Install?"), WideString(u"Launcher.exe"),
                        MessageStyle::YesNo | MessageStyle::IconQuestion),
              MessageResult::No);
    boxes.answerYes = true;
    EXPECT_EQ(sink.Show(WideString(u"Install?"), WideString(u"Launcher.exe"), MessageStyle::YesNo), MessageResult::Yes);
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_EQ(boxes.shown[0].text, "Файл заблокирован");
    EXPECT_EQ(boxes.shown[0].caption, "Launcher.exe");
    EXPECT_EQ(boxes.shown[0].buttons, MessageBoxButtons::Ok);
    EXPECT_EQ(boxes.shown[1].buttons, MessageBoxButtons::YesNo);
}
