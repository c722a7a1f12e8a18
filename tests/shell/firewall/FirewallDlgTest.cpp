// The firewall dialog on the headless toolkit: its size and title from the string
// table, the page's language on command 10, its two answers, and a page that never
// answers, which must not count as consent on the page that asks.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/headless/HeadlessToolkit.h"
#include "platform/settings/UserKeyFile.h"
#include "shell/firewall/FirewallDlg.h"
#include "support/JsonStrings.h"
#include "support/MainContextPump.h"
#include "support/ManualTimerHost.h"
#include "support/TempDir.h"

namespace {

constexpr char kAsk[] = "vfs://Launcher/res/Firewall.htm";
constexpr char kPost[] = "vfs://Launcher/res/FirewallPost.htm";

struct FirewallPages : IUriSchemeHandler {
    UriSchemeResponse Handle(const std::string& uri) override {
        UriSchemeResponse response;
        response.found = uri == kAsk || uri == kPost;
        if (response.found) response.body = std::make_shared<const std::string>("<html></html>");
        return response;
    }
};

// Answers "AppReady" with 666 and 10, and the locale with its final command; or, as
// a page whose script never runs, answers nothing at all.
struct FirewallPage : IFakePage {
    bool answers = true;
    std::string final = "77";
    std::function<void()> beforeFinal;
    std::vector<std::vector<std::u16string>> events;

    bool OnCall(HeadlessPageView& view, const std::string&, const std::string& args, std::string&) override {
        std::vector<std::u16string> event;
        EXPECT_TRUE(ParseJsonNestedStringArray(args, event)) << args;
        events.push_back(event);
        if (!answers || event.empty()) return true;
        if (event[0] == u"AppReady") {
            view.PostMessage("666");
            view.PostMessage("10");
        } else if (event[0] == u"FWLocale.OnLoad") {
            if (beforeFinal) beforeFinal();
            view.PostMessage(final);
        }
        return true;
    }
};

class FirewallDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
        ASSERT_TRUE(toolkit.RegisterUriScheme("vfs", std::make_shared<FirewallPages>()));
    }
    void TearDown() override { PumpPending(); }

    // What the window showed; the window goes with its dialog.
    struct Shown {
        int width = 0, height = 0;
        std::string title;
        DragStrip strip;
        bool borderless = false;
    } shown;

    // Runs the dialog; once the page has nothing left to do, the clock moves past the
    // handshake's wait, and a dialog still open after that ends with -99.
    int Run(const char* url) {
        FirewallDlg dialog(toolkit, &timers, url, WideString(u"en"), "Halvost\\PatchSystem\\FirewallDlg");
        const guint idle = g_idle_add_full(G_PRIORITY_LOW, [](gpointer data) {
            auto* self = static_cast<FirewallDlgTest*>(data);
            self->timers.Advance(CHtmlDialog::kReadyWaitMs);
            return G_SOURCE_REMOVE;
        }, this, nullptr);
        const guint guard = g_timeout_add(10000, [](gpointer d) {
            static_cast<FirewallDlg*>(d)->EndDialog(-99);
            return G_SOURCE_REMOVE;
        }, &dialog);
        const int code = dialog.DoModal();
        const HeadlessDialogWindow& window = *toolkit.LastWindow();
        shown = {window.Width(), window.Height(), window.Title(), window.Strip(), window.IsBorderless()};
        g_source_remove(guard);
        g_source_remove(idle);
        return code;
    }

    TempDir config;
    std::shared_ptr<FirewallPage> page = std::make_shared<FirewallPage>();
    ManualTimerHost timers;
    HeadlessToolkit toolkit{page};
};

TEST_F(FirewallDlgTest, TheAskingPageGetsItsLanguageAndItsAnswerEndsTheDialog) {
    EXPECT_EQ(Run(kAsk), FirewallDlg::kAccepted);
    const std::vector<std::vector<std::u16string>> expected = {{u"AppReady"}, {u"FWLocale.OnLoad", u"en"}};
    EXPECT_EQ(page->events, expected);
    EXPECT_EQ(shown.width, 641);
    EXPECT_EQ(shown.height, 300);
    EXPECT_EQ(shown.title, "Бренник Онлайн");
    EXPECT_EQ(shown.strip.right, 610);
    EXPECT_EQ(shown.strip.bottom, 24);
    EXPECT_TRUE(shown.borderless);

    page->final = "1002";
    EXPECT_EQ(Run(kAsk), FirewallDlg::kCancelled);
}

TEST_F(FirewallDlgTest, TheReportingPageIsShorter) {
    page->final = "1002";
    EXPECT_EQ(Run(kPost), FirewallDlg::kCancelled);
    EXPECT_EQ(shown.height, 139);
}

TEST_F(FirewallDlgTest, APageThatNeverAnswersDeclinesTheQuestionButDoesNotStopTheReport) {
    page->answers = false;
    EXPECT_EQ(Run(kAsk), FirewallDlg::kCancelled);
    EXPECT_EQ(Run(kPost), FirewallDlg::kAccepted);
}

TEST_F(FirewallDlgTest, ItsPositionIsNotFollowed) {
    page->beforeFinal = [this] { toolkit.LastWindow()->Move(120, 80); };
    EXPECT_EQ(Run(kAsk), FirewallDlg::kAccepted);
    int x = 0, y = 0;
    ASSERT_TRUE(ReadUserKeyFileInt("Halvost\\PatchSystem\\FirewallDlg", "hPos", x));
    ASSERT_TRUE(ReadUserKeyFileInt("Halvost\\PatchSystem\\FirewallDlg", "vPos", y));
    EXPECT_EQ(x, -1);
    EXPECT_EQ(y, -1);
}

}  // namespace
