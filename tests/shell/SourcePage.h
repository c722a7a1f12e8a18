#pragma once
// The launcher's page from the source tree in the real WebKitGTK, for page tests: the
// resources served as "vfs://" from Client/resources (plus inline pages a test adds),
// a dialog that answers the start handshake and records the page's commands, and the
// environment a web process needs on a private display.
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/gtk/GtkToolkit.h"
#include "shell/html/HtmlDialog.h"

// Serves the resource tree from the source folder: "vfs://" + folder + path.
struct SourceResources : IUriSchemeHandler {
    std::string root = LAUNCHER_TEST_DATA "/../Client/resources";
    std::map<std::string, std::string> inlinePages;

    // The start page with markup (a test's script) added at the end of its head; false
    // when the page cannot be read or has no head.
    bool AddToStartPageHead(const std::string& markup);
    // A test's script, in a scope of its own, served as "vfs://Test/probe.js" and loaded at
    // the end of the start page's head; false as AddToStartPageHead.
    bool AddProbeScript(const std::string& script);

    UriSchemeResponse Handle(const std::string& uri) override;
};

class PageDialog final : public CHtmlDialog {
public:
    using CHtmlDialog::CHtmlDialog;

    std::vector<std::pair<int, std::u16string>> commands;
    std::function<void(PageDialog&, int, const WideString&)> onCommand;
    // A window with the toolkit's frame instead of the drag strip.
    bool framed = false;
    // The window's cancel actions so far.
    int cancels = 0;

    bool OnAppCommand(int code, const WideString& argument) override;
    void OnDocumentComplete() override;

protected:
    bool OnInitDialog() override;
    void OnCancel() override { ++cancels; }
};

// A page event's arguments.
WideStringVector Args(std::initializer_list<const char16_t*> texts);

// A test's steps on the dialog's main loop, one after the other and intervalMs apart
// (time for the page to answer and paint); then the dialog ends with 2. Start it from a
// command of the page's start-up.
class PageSteps {
public:
    PageSteps(CHtmlDialog& dialog, unsigned intervalMs) : dialog_(dialog), intervalMs_(intervalMs) {}

    std::vector<std::function<void()>> steps;

    void Start();

private:
    static int RunNext(void* self);

    CHtmlDialog& dialog_;
    unsigned intervalMs_;
    std::size_t next_ = 0;
};

// The dialog's modal loop, ended with -99 when it runs longer than boundMs.
int RunBounded(CHtmlDialog& dialog, int boundMs = 15000);

// A display (DISPLAY, or the one given), a private home for the web process's caches,
// and the sandbox off as root; the toolkit, or null when GTK cannot start (the home
// is then gone again). The home goes with the object.
class PageEnvironment {
public:
    explicit PageEnvironment(const std::string& display = "");
    ~PageEnvironment();
    PageEnvironment(const PageEnvironment&) = delete;
    PageEnvironment& operator=(const PageEnvironment&) = delete;

    GtkToolkit* Toolkit() const { return toolkit_.get(); }

private:
    std::string home_;
    std::unique_ptr<GtkToolkit> toolkit_;
};
