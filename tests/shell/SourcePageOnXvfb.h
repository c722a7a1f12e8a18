#pragma once
// A fixture for the source page on a private Xvfb (or the display there is): the page's
// environment, the source resources registered as "vfs", an X connection for pixels,
// screenshots and clicks, and timers for the dialog. Skipped without a display or GTK.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <cstdlib>
#include <memory>

#include "base/runtime/Timer.h"
#include "platform/glib/GlibTimerHost.h"
#include "shell/SourcePage.h"
#include "support/PrivateXvfb.h"
#include "support/RequiredEnvironment.h"

class SourcePageOnXvfb : public ::testing::Test {
protected:
    void SetUp() override {
        environment = std::make_unique<PageEnvironment>(xvfb.Start() ? xvfb.Display() : "");
        if (!std::getenv("DISPLAY")) SKIP_UNLESS_REQUIRED("no X display and no Xvfb");
        if (!environment->Toolkit()) SKIP_UNLESS_REQUIRED("GTK cannot open the display");
        display = XOpenDisplay(std::getenv("DISPLAY"));
        ASSERT_TRUE(display);
        ASSERT_TRUE(environment->Toolkit()->RegisterUriScheme("vfs", files));
    }
    void TearDown() override {
        if (display) XCloseDisplay(display);
    }

    GtkToolkit& Toolkit() { return *environment->Toolkit(); }

    PrivateXvfb xvfb;
    std::unique_ptr<PageEnvironment> environment;
    std::shared_ptr<SourceResources> files = std::make_shared<SourceResources>();
    Display* display = nullptr;
    GlibTimerHost timers{&Timer::TimerProc};
};
