// The page dialogs' keyboard filter with real keys (XTest) on a private Xvfb, in the real
// page and the real WebKitGTK: what a player types reaches the page, copy and paste
// work, and the browser's own shortcuts (select all, undo, print, reload, mnemonics)
// never reach it; Escape that the page leaves unhandled is the window's cancel action,
// one that the page uses (to close its preferences) is not.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <glib.h>

#include "base/runtime/StrUtil.h"
#include "platform/gtk/GtkDialogKeys.h"
#include "shell/LauncherOnDisplay.h"
#include "shell/SourcePageOnXvfb.h"

namespace {

constexpr int kBoundMs = 30000;
constexpr guint kStepMs = 300;
constexpr int kReport = 4244;

// Every keydown the page sees, at the window before any handler of the page can stop
// it, as "Ctrl+Alt+Shift+key" (the modifier keys themselves left out); "Test.Report"
// answers with command 4244: the keys, a line each, then the login field's value.
constexpr char kProbeScript[] = R"JS(
    var keys = [];
    window.addEventListener("keydown", function (event) {
        if (["Control", "Shift", "Alt", "Meta", "OS", "Super", "Hyper", "AltGraph"].indexOf(event.key) >= 0) return;
        keys.push((event.ctrlKey ? "Ctrl+" : "") + (event.altKey ? "Alt+" : "") + (event.metaKey ? "Meta+" : "") +
                  (event.shiftKey ? "Shift+" : "") + event.key);
    }, true);
    App.module("Test", {
        Focus: function (id) { document.getElementById(id).focus(); },
        Click: function (id) { document.getElementById(id).click(); },
        Report: function () {
            App.send(4244, keys.join("\n") + "\n=" + document.getElementById("gameLoginName").value + "\n" +
                     (document.getElementById("prefsPanel").hidden ? "prefs closed" : "prefs open"));
        }
    });
)JS";

WideStringVector One(const char16_t* text) {
    WideStringVector arguments;
    arguments.PushBack(WideString(text));
    return arguments;
}

}  // namespace

using DialogKeysWindow = SourcePageOnXvfb;

TEST_F(DialogKeysWindow, TypingCopyAndPasteReachThePageBrowserShortcutsDoNotAndEscapeCancels) {
    ASSERT_TRUE(files->AddProbeScript(kProbeScript));
    PageDialog dialog(Toolkit(), &timers, "vfs://Launcher/res/launcher.htm", "");
    dialog.framed = true;
    PageSteps run(dialog, kStepMs);
    std::string report;
    int cancelsBeforePrefs = -1;
    auto send = [&](const char16_t* name, const char16_t* argument = nullptr) {
        dialog.View().SendEventArgs(WideString(name), argument ? One(argument) : WideStringVector());
    };
    auto chord = [this](std::vector<std::string> keys) { return [this, keys] { PressChord(display, keys); }; };
    run.steps = {
        // The pointer over the window gives it the keyboard (the display has no window manager).
        [&] {
            int x = 0, y = 0;
            ASSERT_TRUE(FindLauncherWindow(display, x, y));
            XTestFakeMotionEvent(display, -1, x + 300, y + 300, CurrentTime);
            XFlush(display);
        },
        [&] { send(u"Test.Focus", u"gameLoginName"); },
        [&] { TypeKeys(display, "ab"); },
        chord({"Control_L", "a"}),  // select all: swallowed, so "c" does not replace "ab"
        [&] { TypeKeys(display, "c"); },
        chord({"Shift_L", "Home"}),
        chord({"Control_L", "c"}),
        chord({"End"}),
        chord({"Control_L", "v"}),
        chord({"Control_L", "z"}),  // undo: swallowed, the paste stays
        chord({"F5"}),
        chord({"Control_L", "p"}),
        chord({"Alt_L", "x"}),
        chord({"Insert"}),
        chord({"Tab"}),
        // Nothing in the page takes Escape now: the window's cancel action.
        chord({"Escape"}),
        [&] {
            cancelsBeforePrefs = dialog.cancels;
            send(u"Test.Click", u"prefsOpen");
        },
        // The page closes its preferences with it: no cancel action.
        chord({"Escape"}),
        [&] { send(u"Test.Report"); },
    };
    dialog.onCommand = [&](PageDialog& d, int code, const WideString& argument) {
        if (code == 10) d.View().SendEventArgs(WideString(u"Locale.OnLoad"), One(u"en"));
        if (code == 20) run.Start();
        if (code == kReport) report = StrUtil::ToNarrow(argument).Std();
    };
    EXPECT_EQ(RunBounded(dialog, kBoundMs), 2);
    EXPECT_EQ(report,
              "a\nb\nc\nShift+Home\nCtrl+c\nEnd\nCtrl+v\nTab\nEscape\nEscape\n=abcabc\nprefs closed");
    EXPECT_EQ(cancelsBeforePrefs, 1);
    EXPECT_EQ(dialog.cancels, 1);
}

// Shortcuts go by the key: in a Russian layout the key of C types "с", and Ctrl with it
// is still the copy that passes, while Ctrl with the key of A is still swallowed.
TEST_F(DialogKeysWindow, AShortcutIsKnownByItsKeyWhateverItTypesInTheLayout) {
    GdkDisplay* gdkDisplay = gdk_display_get_default();
    ASSERT_NE(gdkDisplay, nullptr);
    GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
    event->key.window = gdk_get_default_root_window();
    g_object_ref(event->key.window);
    event->key.state = GDK_CONTROL_MASK;
    event->key.keyval = GDK_KEY_Cyrillic_es;
    event->key.hardware_keycode = XKeysymToKeycode(display, XStringToKeysym("c"));
    DialogKeyPress press = DialogKeyPressOf(&event->key);
    EXPECT_EQ(press.latinLetter, 'c');
    EXPECT_TRUE(press.control);
    EXPECT_EQ(FilterDialogKey(press), KeyVerdict::Pass);
    event->key.keyval = GDK_KEY_Cyrillic_ef;
    event->key.hardware_keycode = XKeysymToKeycode(display, XStringToKeysym("a"));
    press = DialogKeyPressOf(&event->key);
    EXPECT_EQ(press.latinLetter, 'a');
    EXPECT_EQ(FilterDialogKey(press), KeyVerdict::Swallow);
    gdk_event_free(event);
}
