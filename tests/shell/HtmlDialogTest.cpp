// A page dialog on the headless toolkit: the start handshake (and the program's message
// when it goes unanswered), the order of events around the document's completion, pages
// that cannot be shown, and the host's services (script dialogs, external links, the
// window's position).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CapturingSink.h"
#include "StartupFakes.h"
#include "platform/headless/HeadlessToolkit.h"
#include "platform/settings/UserKeyFile.h"
#include "shell/LauncherApp.h"
#include "shell/html/DesktopStartupSteps.h"
#include "shell/html/HtmlDialog.h"
#include "shell/resources/StringIds.h"
#include "shell/resources/StringTable.h"
#include "support/JsonStrings.h"
#include "support/MainContextPump.h"
#include "support/ManualTimerHost.h"
#include "support/ScopedTempFolder.h"

namespace {

constexpr char kStartUrl[] = "vfs://Launcher/res/launcher.htm";

struct PageFiles : IUriSchemeHandler {
    UriSchemeResponse Handle(const std::string& uri) override {
        UriSchemeResponse response;
        response.found = uri == kStartUrl;
        if (response.found) response.body = std::make_shared<const std::string>("<html></html>");
        return response;
    }
};

using EventLog = std::vector<std::vector<std::u16string>>;

// Answers "AppReady" the way it is told to, then posts its follow-up commands.
struct ScriptedPage : IFakePage {
    enum class Answer { InCall, AfterCall, ByNavigation, Never, NoMessageProc };
    Answer answer = Answer::InCall;
    std::vector<std::string> followUps = {"1002"};
    EventLog events;

    bool OnCall(HeadlessPageView& view, const std::string& function, const std::string& args,
                std::string& error) override {
        if (function != "MessageProc" || answer == Answer::NoMessageProc) {
            error = "ReferenceError: Can't find variable: MessageProc";
            return false;
        }
        std::vector<std::u16string> event;
        EXPECT_TRUE(ParseJsonNestedStringArray(args, event)) << args;
        events.push_back(event);
        if (event.empty() || event[0] != u"AppReady") return true;
        auto send = [&view, this] {
            if (answer == Answer::ByNavigation) view.NavigateFromPage("app:666");
            else view.PostMessage("666");
            for (const std::string& command : followUps) view.PostMessage(command);
        };
        if (answer == Answer::InCall || answer == Answer::ByNavigation) send();
        if (answer == Answer::AfterCall) view.Later(send);
        return true;
    }
};

class TestDialog final : public CHtmlDialog {
public:
    using CHtmlDialog::CHtmlDialog;

    std::vector<std::pair<int, std::u16string>> commands;

    bool OnAppCommand(int code, const WideString& argument) override {
        if (code == kReadyCommand) {
            AnswerHandshake();
        } else if (code == kCloseCommand) {
            EndDialog(2);
        } else {
            commands.emplace_back(code, argument.Std());
            if (code == 30) View().SendEventArgs(WideString(u"Echo"), Args({argument.Std()}));
        }
        return false;
    }
    void OnDocumentComplete() override {
        SetDocumentComplete();
        BeginHandshake();
    }

    static WideStringVector Args(const std::vector<std::u16string>& texts) {
        WideStringVector out;
        for (const auto& t : texts) out.PushBack(WideString(t.data(), t.data() + t.size()));
        return out;
    }

protected:
    bool OnInitDialog() override {
        InitHtmlDialog(DragStrip{0, 0, 690, 24});
        SetClientSize(748, 589);
        SetTitle(WideString(u"Бренник Онлайн"));
        return true;
    }
};

// Advances the manual clock only once the page has nothing left to do, and ends a
// dialog that is still running after that (a hang becomes a failed expectation).
struct IdleClock {
    IdleClock(ManualTimerHost& t, CHtmlDialog& d, std::vector<int> s = {})
        : IdleClock(t, [&d]() -> IDialogWindow* { return &d.Window(); }, [&d] { d.EndDialog(-99); }, std::move(s)) {}
    // For a dialog that another part makes and runs: the clock turns once its window
    // (what window gives, null before) exists.
    IdleClock(ManualTimerHost& t, std::function<IDialogWindow*()> w, std::function<void()> e, std::vector<int> s)
        : timers(t), window(std::move(w)), end(std::move(e)), steps(std::move(s)) {
        source = g_idle_add_full(G_PRIORITY_LOW, &IdleClock::Turn, this, nullptr);
    }
    ~IdleClock() {
        if (source) g_source_remove(source);
    }

    ManualTimerHost& timers;
    std::function<IDialogWindow*()> window;
    std::function<void()> end;
    std::vector<int> steps;
    std::size_t next = 0;
    std::vector<bool> runningBeforeStep;
    guint source = 0;

    static gboolean Turn(gpointer data) {
        auto* self = static_cast<IdleClock*>(data);
        IDialogWindow* window = self->window();
        if (!window) return G_SOURCE_CONTINUE;
        if (self->next < self->steps.size()) {
            self->runningBeforeStep.push_back(window->IsModalRunning());
            self->timers.Advance(self->steps[self->next++]);
            return G_SOURCE_CONTINUE;
        }
        self->end();
        self->source = 0;
        return G_SOURCE_REMOVE;
    }
};

class HtmlDialogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(toolkit.RegisterUriScheme("vfs", std::make_shared<PageFiles>())); }
    void TearDown() override { PumpPending(); }

    std::shared_ptr<ScriptedPage> page = std::make_shared<ScriptedPage>();
    ManualTimerHost timers;
    HeadlessToolkit toolkit{page};
};

}  // namespace

TEST_F(HtmlDialogTest, HandshakeAnsweredInTheCallAfterItOrByNavigationKeepsTheDialog) {
    for (auto answer : {ScriptedPage::Answer::InCall, ScriptedPage::Answer::AfterCall,
                        ScriptedPage::Answer::ByNavigation}) {
        page->answer = answer;
        page->events.clear();
        TestDialog dialog(toolkit, &timers, kStartUrl, "");
        IdleClock clock(timers, dialog);
        EXPECT_EQ(dialog.DoModal(), 2) << int(answer);  // ended by the page's 1002, not by the wait
        EXPECT_TRUE(dialog.IsReady());
        EXPECT_TRUE(dialog.IsDocumentComplete());
        HeadlessDialogWindow* window = toolkit.LastWindow();
        EXPECT_TRUE(window->IsBorderless());
        EXPECT_EQ(window->Width(), 748);
        EXPECT_EQ(window->Height(), 589);
        EXPECT_EQ(window->Title(), "Бренник Онлайн");
        EXPECT_EQ(window->Strip().right, 690);
        PumpPending();
    }
}

TEST_F(HtmlDialogTest, HandshakeWithoutAnswerEndsWithOneWhenTheWaitRunsOut) {
    for (auto answer : {ScriptedPage::Answer::Never, ScriptedPage::Answer::NoMessageProc}) {
        page->answer = answer;
        TestDialog dialog(toolkit, &timers, kStartUrl, "");
        IdleClock clock(timers, dialog, {CHtmlDialog::kReadyWaitMs - 1, 1});
        EXPECT_EQ(dialog.DoModal(), 1);
        EXPECT_FALSE(dialog.IsReady());
        // Still running just before the deadline; the last step ended it.
        EXPECT_EQ(clock.runningBeforeStep, (std::vector<bool>{true, true}));
        if (answer == ScriptedPage::Answer::NoMessageProc) {
            EXPECT_NE(String(dialog.View().LastError()).Std().find("Applicaion script error:\nReferenceError"),
                      std::string::npos);
        }
        PumpPending();
    }
}

// The program's start: a page that does not answer "AppReady" within the bound ends the
// main window, and the program then shows message 151; a page that answers and closes
// the window ends it without a word.
TEST_F(HtmlDialogTest, AnUnansweredStartHandshakeEndsTheMainWindowWithMessage151) {
    // The window keeps its position, and listens for a second start, in folders of the test.
    ScopedTempFolder home;
    const std::pair<const char*, std::string> folders[] = {{"XDG_CONFIG_HOME", home / "config"},
                                                           {"XDG_RUNTIME_DIR", home.Path()}};
    std::vector<std::pair<const char*, std::optional<std::string>>> saved;
    for (const auto& [name, value] : folders) {
        const char* old = std::getenv(name);
        saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        setenv(name, value.c_str(), 1);
    }
    CapturingSink sink;
    SetMessageSink(&sink);
    FixedProcesses processes;
    DesktopStartupSteps steps(toolkit, &timers, {});
    LauncherApp app(steps, processes);
    RefPtr<AppParams> params(new AppParams);
    const std::pair<std::string, std::string> message151("Launcher.exe",
                                                         StrUtil::ToNarrow(LoadResString(StringId::PageNeverReady)).Std());
    ASSERT_FALSE(message151.second.empty());
    for (auto answer : {ScriptedPage::Answer::InCall, ScriptedPage::Answer::Never, ScriptedPage::Answer::NoMessageProc}) {
        SCOPED_TRACE(static_cast<int>(answer));
        page->answer = answer;
        sink.shown.clear();
        std::vector<bool> runningBeforeStep;
        {
            // Only while the window lives: it goes with the call.
            IdleClock clock(timers, [this]() -> IDialogWindow* { return toolkit.LastWindow(); },
                            [this] { toolkit.LastWindow()->EndDialog(-99); }, {CHtmlDialog::kReadyWaitMs - 1, 1});
            EXPECT_TRUE(app.RunMainWindow(*params).IsEmpty());
            runningBeforeStep = clock.runningBeforeStep;
        }
        if (answer == ScriptedPage::Answer::InCall) {
            EXPECT_TRUE(sink.shown.empty());
        } else {
            EXPECT_EQ(runningBeforeStep, (std::vector<bool>{true, true}));  // it waited the whole bound
            EXPECT_EQ(sink.shown, (std::vector<std::pair<std::string, std::string>>{message151}));
        }
        PumpPending();
    }
    SetMessageSink(nullptr);
    for (const auto& [name, value] : saved) {
        if (value) setenv(name, value->c_str(), 1);
        else unsetenv(name);
    }
}

TEST_F(HtmlDialogTest, EventsKeptBeforeCompletionArriveFirstInOrderThenLiveOnes) {
    page->followUps = {"30@x@\"y\"", "1002"};
    TestDialog dialog(toolkit, &timers, kStartUrl, "");
    for (const char16_t* name : {u"First", u"Second", u"Third"})
        EXPECT_TRUE(dialog.View().SendEventArgs(WideString(name), TestDialog::Args({u"1", u"</script>"})));
    dialog.View().SendEvent(WideString(u"NoArgs"));
    EXPECT_EQ(dialog.View().QueuedCalls(), 4u);
    IdleClock clock(timers, dialog);
    EXPECT_EQ(dialog.DoModal(), 2);
    PumpPending();  // the answer to 30 went out just before the page's 1002 ended the loop

    const EventLog expected = {{u"First", u"1", u"</script>"},
                               {u"Second", u"1", u"</script>"},
                               {u"Third", u"1", u"</script>"},
                               {u"NoArgs"},
                               {u"AppReady"},
                               {u"Echo", u"x@\"y\""}};
    EXPECT_EQ(page->events, expected);
    EXPECT_EQ(dialog.View().QueuedCalls(), 0u);
    ASSERT_EQ(dialog.commands.size(), 1u);
    EXPECT_EQ(dialog.commands[0], (std::pair<int, std::u16string>{30, u"x@\"y\""}));
}

TEST_F(HtmlDialogTest, PagesThatCannotBeShownEndTheDialogWithOne) {
    {
        TestDialog dialog(toolkit, &timers, "vfs://Launcher/res/missing.htm", "");
        IdleClock clock(timers, dialog);
        EXPECT_EQ(dialog.DoModal(), 1);
        EXPECT_FALSE(dialog.IsDocumentComplete());
        PumpPending();
    }
    {
        page->answer = ScriptedPage::Answer::Never;
        TestDialog dialog(toolkit, &timers, kStartUrl, "");
        PumpUntil([&] { return dialog.IsDocumentComplete(); });  // not running yet: nothing to end
        toolkit.LastWindow()->FakeView().SimulateCrash();
        IdleClock clock(timers, dialog);
        EXPECT_EQ(dialog.DoModal(), 1);
    }
}

TEST_F(HtmlDialogTest, CommandsLinksAndScriptDialogsReachTheHost) {
    page->followUps = {};
    TestDialog dialog(toolkit, &timers, kStartUrl, "");
    CHtmlCtrl& view = dialog.View();
    dialog.InitHtmlDialog(DragStrip{});
    PumpUntil([&] { return dialog.IsReady(); });
    ASSERT_TRUE(dialog.IsReady());

    EXPECT_TRUE(view.OnBeforeNavigate2("APP:10"));
    EXPECT_TRUE(view.OnBeforeNavigate2("app:9000@%D0%9F@x"));
    EXPECT_TRUE(view.OnBeforeNavigate2("app:77@OPEN_HREF:https://example.org/"));  // "app:" wins
    EXPECT_TRUE(view.OnBeforeNavigate2("vfs://Launcher/res/launcher.htm?OPEN_HREF:https://example.org/news"));
    EXPECT_TRUE(view.OnBeforeNavigate2("open_href:file:///etc/passwd"));
    EXPECT_FALSE(view.OnBeforeNavigate2("vfs://Launcher/res/other.htm"));
    EXPECT_FALSE(view.OnBeforeNavigate2("VFS://Launcher/res/other.htm"));
    // The window shows nothing but its own pages: not the network, not a file, not a page
    // made up on the spot.
    for (const char* elsewhere : {"http://127.0.0.1:8080/", "https://example.org/", "file:///etc/passwd",
                                  "about:blank", "data:text/html,<p>x</p>", "blob:vfs://x/1", "vfsx://y", ""})
        EXPECT_TRUE(view.OnBeforeNavigate2(elsewhere)) << elsewhere;
    const std::vector<std::pair<int, std::u16string>> expected = {
        {10, u""}, {9000, u"П@x"}, {77, u"OPEN_HREF:https://example.org/"}};
    EXPECT_EQ(dialog.commands, expected);
    EXPECT_EQ(toolkit.OpenedUris(), (std::vector<std::string>{"https://example.org/news"}));

    toolkit.MessageLog().quiet = true;
    toolkit.MessageLog().answerYes = false;
    bool confirmed = true;
    toolkit.LastWindow()->FakeView().ShowScriptDialog(ScriptDialogKind::Confirm, "Sure?", &confirmed);
    EXPECT_FALSE(confirmed);
    ASSERT_EQ(toolkit.MessageLog().shown.size(), 1u);
    EXPECT_EQ(toolkit.MessageLog().shown[0].caption, "Caption");
    EXPECT_EQ(toolkit.MessageLog().shown[0].text, "Sure?");

    // The window manager's close button is the page's exit command.
    toolkit.LastWindow()->RequestClose();
    EXPECT_TRUE(toolkit.LastWindow()->HasEnded());
}

TEST_F(HtmlDialogTest, PositionIsRestoredOnlyWhenValidAndSavedAtTheEnd) {
    char folder[] = "/tmp/htmldialog-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    setenv("XDG_CONFIG_HOME", folder, 1);
    const std::string key = "Halvost\\PatchSystem\\MainPatchDlg";
    KeyFileLocation location;
    ASSERT_TRUE(LocateUserKeyFile(key, location));
    EXPECT_EQ(location.file, std::string(folder) + "/Halvost/PatchSystem.ini");
    EXPECT_FALSE(LocateUserKeyFile("Halvost\\..\\x", location));

    struct Case {
        const char* stored;
        int x, y;  // where the window ends up; (0, 0) is "not moved"
    } cases[] = {
        {"hPos=100\nvPos=50\n", 100, 50},
        {"hPos=-5\nvPos=100\n", 0, 0},
        {"hPos=abc\nvPos=10\n", 0, 0},
        {"hPos=99999999999\nvPos=10\n", 0, 0},
        {"hPos=5000\nvPos=5000\n", 0, 0},  // on no monitor
        {"vPos=10\n", 0, 0},
    };
    std::filesystem::create_directories(std::string(folder) + "/Halvost");
    for (const Case& c : cases) {
        std::ofstream(location.file) << "[MainPatchDlg]\n" << c.stored;
        TestDialog dialog(toolkit, &timers, kStartUrl, key);
        dialog.InitHtmlDialog(DragStrip{});
        int x = -1, y = -1;
        ASSERT_TRUE(dialog.Window().GetPosition(x, y));
        EXPECT_EQ(x, c.x) << c.stored;
        EXPECT_EQ(y, c.y) << c.stored;
        EXPECT_FALSE(dialog.Window().IsBorderless());  // no strip: the frame stays
        dialog.Window().Move(300, 200);
    }
    int x = 0, y = 0;
    EXPECT_TRUE(ReadUserKeyFileInt(key, "hPos", x));
    EXPECT_TRUE(ReadUserKeyFileInt(key, "vPos", y));
    EXPECT_EQ(x, 300);
    EXPECT_EQ(y, 200);
    PumpPending();
    std::filesystem::remove_all(folder);
}
