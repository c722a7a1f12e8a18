// The platform seams without a display: the drag strip's edges, the modal loop, and
// the order in which the headless view delivers the page's work.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/glib/ModalLoop.h"
#include "platform/headless/HeadlessToolkit.h"
#include "platform/ui/DragStrip.h"
#include "support/MainContextPump.h"

TEST(DragStrip, EdgesFollowTheHalfOpenWidthAndClosedHeight) {
    const DragStrip strip{0, 0, 690, 24};
    struct Case {
        int x, y;
        bool inside;
    } cases[] = {{0, 0, true}, {689, 24, true}, {690, 10, false}, {10, 25, false}, {-1, 5, false}};
    for (const Case& c : cases) EXPECT_EQ(InDragStrip(strip, c.x, c.y), c.inside) << c.x << "," << c.y;
    EXPECT_FALSE(InDragStrip(DragStrip{0, 0, 0, 24}, 0, 0));
}

TEST(ModalLoop, EndBeforeRunReturnsAtOnceAndEndFromInsideStops) {
    ModalLoop early;
    early.End(7);
    EXPECT_EQ(early.Run(), 7);

    ModalLoop loop;
    g_idle_add([](gpointer data) {
        static_cast<ModalLoop*>(data)->End(2);
        return G_SOURCE_REMOVE;
    }, &loop);
    EXPECT_EQ(loop.Run(), 2);
}

namespace {
struct Recorder : IPageViewListener {
    std::vector<std::string> log;
    void OnLoadFinished(const std::string& uri) override { log.push_back("finished " + uri); }
    void OnLoadFailed(const std::string& uri, const std::string&) override { log.push_back("failed " + uri); }
    void OnWebProcessCrashed() override { log.push_back("crashed"); }
    bool OnNavigationRequest(const std::string& uri) override {
        log.push_back("navigate " + uri);
        return uri.rfind("app:", 0) == 0;
    }
    void OnScriptMessage(const std::string& text) override { log.push_back("message " + text); }
    bool OnScriptDialog(ScriptDialogKind, const std::string&) override { return true; }
};

struct EchoPage : IFakePage {
    bool OnCall(HeadlessPageView& view, const std::string& function, const std::string& args, std::string&) override {
        view.PostMessage(function + args);
        view.NavigateFromPage("app:1");
        return true;
    }
};

struct OnePageScheme : IUriSchemeHandler {
    UriSchemeResponse Handle(const std::string& uri) override {
        UriSchemeResponse r;
        r.found = uri == "test://page";
        if (r.found) r.body = std::make_shared<const std::string>("<html/>");
        return r;
    }
};
}  // namespace

TEST(HeadlessPageView, DeliversPostsBeforeTheCallCompletesAndFailsMissingPages) {
    HeadlessToolkit toolkit(std::make_shared<EchoPage>());
    ASSERT_TRUE(toolkit.RegisterUriScheme("test", std::make_shared<OnePageScheme>()));
    EXPECT_FALSE(toolkit.RegisterUriScheme("test", std::make_shared<OnePageScheme>()));
    auto window = toolkit.CreateDialogWindow();
    Recorder recorder;
    window->Page().SetListener(&recorder);

    window->Page().Navigate("test://missing");
    window->Page().Navigate("test://page");
    bool completed = false;
    window->Page().CallFunction("F", "[1]", [&](bool ok, const std::string&) {
        recorder.log.push_back(ok ? "done" : "error");
        completed = true;
    });
    ASSERT_TRUE(PumpUntil([&] { return completed; }));
    PumpPending();
    const std::vector<std::string> expected = {
        "navigate test://missing", "failed test://missing", "navigate test://page", "finished test://page",
        "message F[1]",            "navigate app:1",        "done"};
    EXPECT_EQ(recorder.log, expected);
}
