// The launcher's page in the real WebKitGTK on a private Xvfb, driven through the
// repair road by scripted events: the commands it sends in turn (60, 600, 6000 once,
// the answers 800 and 8000 to the locked-file dialog, whose skip and stop both end the
// repair and are told apart in its outcome, 6 and then 50 for the version file), with
// a screenshot of each state under the build folder. The page is served
// from the source tree; a test hook beside it clicks its buttons by id.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <set>
#include <vector>

#include <glib.h>

#include "platform/gtk/GtkToolkit.h"
#include "shell/LauncherOnDisplay.h"
#include "shell/SourcePageOnXvfb.h"

namespace {

constexpr int kBoundMs = 30000;
constexpr guint kPaintMs = 700;
constexpr int kStatusReport = 4646;

WideStringVector Texts(const std::vector<std::u16string>& texts) {
    WideStringVector out;
    for (const std::u16string& text : texts) out.PushBack(WideString(text.data(), text.data() + text.size()));
    return out;
}

// The page in a dialog: answers the start-up commands, runs the test's steps one by
// one with time to paint between them, and answers the repair's commands as the
// launcher would.
class RepairPage final : public CHtmlDialog {
public:
    using Step = std::function<void(RepairPage&)>;

    RepairPage(IUiToolkit& toolkit, TimerHost* timers, const char* locale, Display* display)
        : CHtmlDialog(toolkit, timers, "vfs://Launcher/res/launcher.htm", ""), locale_(locale), display_(display) {}

    std::vector<int> commands;
    std::vector<std::string> statuses;  // the repair's status keys the test asked for
    std::map<int, Step> answers;  // what the launcher sends back on a command
    std::vector<Step> steps;

    void Send(const char16_t* name, const std::vector<std::u16string>& arguments = {}) {
        View().SendEventArgs(WideString(name), Texts(arguments));
    }
    void ClickOn(const char16_t* id) { View().CallFunction(WideString(u"TestClick"), Texts({id})); }
    void AskStatus() { View().CallFunction(WideString(u"TestStatus"), Texts({})); }
    void Screenshot(const std::string& name) {
        EXPECT_TRUE(SaveScreenPng(display_, std::string(LAUNCHER_BUILD_DIR "/") + name)) << name;
    }

    bool OnAppCommand(int code, const WideString& argument) override {
        if (code == kReadyCommand) {
            AnswerHandshake();
            return false;
        }
        if (code == 10) Send(u"Locale.OnLoad", {std::u16string(locale_, locale_ + 2)});
        if (code == kStatusReport) {
            statuses.push_back(String(argument).Std());
            return false;
        }
        // The preferences are the page's last start-up command: the steps begin.
        if (code == 20) g_timeout_add(kPaintMs, &RunNextStep, this);
        // The start-up's own commands (language, preferences, frame, the update road's
        // start, the self-update) are not the repair's.
        static const std::set<int> startup{10, 20, 25, 30, 80, 7835};
        if (!startup.count(code)) commands.push_back(code);
        if (auto answer = answers.find(code); answer != answers.end()) answer->second(*this);
        (void)argument;
        return false;
    }
    void OnDocumentComplete() override {
        SetDocumentComplete();
        BeginHandshake();
    }

protected:
    bool OnInitDialog() override {
        InitHtmlDialog(DragStrip{0, 0, 690, 24});
        SetClientSize(748, 589);
        return true;
    }

private:
    static gboolean RunNextStep(gpointer self) {
        auto* page = static_cast<RepairPage*>(self);
        if (page->next_ < page->steps.size()) {
            page->steps[page->next_++](*page);
            g_timeout_add(kPaintMs, &RunNextStep, page);
        } else {
            page->EndDialog(2);
        }
        return G_SOURCE_REMOVE;
    }

    const char* locale_;
    Display* display_;
    std::size_t next_ = 0;
};

const std::vector<std::u16string> kTwoDamaged = {u"bin/a.dll", u"4", u"5", u"0", u"data/x.pak", u"300000", u"3", u"1"};

class RepairPageTest : public SourcePageOnXvfb {
protected:
    void SetUp() override {
        SourcePageOnXvfb::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        // The start page gets the test's click hook.
        ASSERT_TRUE(files->AddToStartPageHead(
            "<script>function TestClick(id) { document.getElementById(id).click(); }\n"
            "function TestStatus() { App.send(4646, document.getElementById('repairStatus').getAttribute('data-text')); }"
            "</script>"));
    }
};

// GTK opens one display per process: both roads run in one test, one page after the other.
TEST_F(RepairPageTest, TheRepairRoadAndTheVersionFileRepairInBothLanguages) {
    {
        SCOPED_TRACE("the repair road, the locked-file dialog answered with both buttons, in English");
        RepairPage page(Toolkit(), &timers, "en", display);
        page.answers[60] = [](RepairPage& p) {
            p.Send(u"Repair.OnRequest");
            p.Send(u"Repair.OnAnswer");
        };
        page.answers[600] = [](RepairPage& p) {
            p.Send(u"Repair.OnDownloadStart");
            p.Send(u"Downloader.OnProgress", {u"42", u"131072", u"311204", u"65536", u"0", u"0"});
        };
        page.answers[6000] = [](RepairPage& p) {
            p.Send(u"Repair.OnApply");
            p.Send(u"Repair.OnProgress", {u"50"});
            p.Send(u"Repair.OnLockedFile", {u"../Patches/Rip/data/x.pak", u"../data/x.pak"});
        };
        page.answers[800] = [](RepairPage& p) {
            p.Send(u"Repair.OnLockedFile", {u"../Patches/Rip/data/x.pak", u"../data/x.pak"});
        };
        page.answers[8000] = [](RepairPage& p) {
            p.Send(u"Repair.OnProgress", {u"50"});
            p.Send(u"Repair.OnFail", {u"2", u"bin/a.dll", u"4", u"0", u"0", u"data/x.pak", u"300000", u"3", u"1"});
        };
        page.steps = {
            [](RepairPage& p) {
                p.Send(u"FullCheck.OnStart");
                p.Send(u"FullCheck.OnProgress", {u"100"});
                p.Send(u"FullCheck.OnComplete", kTwoDamaged);
            },
            [](RepairPage& p) { p.Screenshot("repair-offered.png"); },
            [](RepairPage& p) { p.ClickOn(u"repairRun"); },
            [](RepairPage& p) { p.Screenshot("repair-downloading.png"); },
            // Comes on every tick once the files are in: the page moves on once.
            [](RepairPage& p) {
                p.Send(u"Repair.OnDownloadComplete");
                p.Send(u"Repair.OnDownloadComplete");
            },
            [](RepairPage& p) { p.Screenshot("repair-locked.png"); },
            [](RepairPage& p) { p.ClickOn(u"repairRetry"); },
            [](RepairPage& p) { p.ClickOn(u"repairAbort"); },
            [](RepairPage& p) { p.Screenshot("repair-stopped.png"); },
            [](RepairPage& p) { p.AskStatus(); },
            // Once more, and the locked file skipped this time.
            [](RepairPage& p) {
                p.Send(u"FullCheck.OnStart");
                p.Send(u"FullCheck.OnComplete", kTwoDamaged);
            },
            [](RepairPage& p) { p.ClickOn(u"repairRun"); },
            [](RepairPage& p) { p.Send(u"Repair.OnDownloadComplete"); },
            [](RepairPage& p) { p.ClickOn(u"repairSkip"); },
            [](RepairPage& p) { p.Screenshot("repair-skipped.png"); },
            [](RepairPage& p) { p.AskStatus(); },
        };
        EXPECT_EQ(RunBounded(page, kBoundMs), 2);
        EXPECT_EQ(page.commands, (std::vector<int>{60, 600, 6000, 800, 8000, 60, 600, 6000, 8000}));
        EXPECT_EQ(page.statuses, (std::vector<std::string>{"repair.fail.2", "repair.fail.2.skipped"}));
        EXPECT_EQ(page.View().LastError().View(), u"");
    }
    {
        SCOPED_TRACE("the version file fetched again, the files checked and repaired, in Russian");
        RepairPage page(Toolkit(), &timers, "ru", display);
        page.answers[6] = [](RepairPage& p) {
            p.Send(u"Repair.OnRequest");
            p.Send(u"Repair.OnGameVersionRepaired");
        };
        page.answers[50] = [](RepairPage& p) {
            p.Send(u"FullCheck.OnStart");
            p.Send(u"FullCheck.OnComplete", kTwoDamaged);
        };
        page.answers[60] = [](RepairPage& p) { p.Send(u"Repair.OnAnswer"); };
        page.answers[600] = [](RepairPage& p) {
            p.Send(u"Repair.OnDownloadStart");
            p.Send(u"Repair.OnDownloadComplete");
        };
        page.answers[6000] = [](RepairPage& p) {
            p.Send(u"Repair.OnApply");
            p.Send(u"Repair.OnProgress", {u"50"});
            p.Send(u"Repair.OnSuccess", {u"bin/a.dll", u"4", u"0", u"0", u"data/x.pak", u"300000", u"0", u"1"});
        };
        page.steps = {
            [](RepairPage& p) { p.Send(u"FullCheck.OnFailGameVersion"); },
            [](RepairPage& p) { p.Screenshot("repair-version-ru.png"); },
            [](RepairPage& p) { p.ClickOn(u"repairVersion"); },
            [](RepairPage& p) { p.ClickOn(u"repairRun"); },
            [](RepairPage& p) { p.Screenshot("repair-success-ru.png"); },
        };
        EXPECT_EQ(RunBounded(page, kBoundMs), 2);
        EXPECT_EQ(page.commands, (std::vector<int>{6, 50, 60, 600, 6000}));
    }
}

}  // namespace
