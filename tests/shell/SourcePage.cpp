#include "shell/SourcePage.h"

#include <glib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

bool SourceResources::AddToStartPageHead(const std::string& markup) {
    const std::string name = "Launcher/res/launcher.htm";
    std::ifstream file(root + "/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    std::string page = bytes.str();
    const std::size_t head = page.find("</head>");
    if (!file || head == std::string::npos) return false;
    page.insert(head, markup);
    inlinePages[name] = page;
    return true;
}

bool SourceResources::AddProbeScript(const std::string& script) {
    inlinePages["Test/probe.js"] = "(function () {\n" + script + "})();\n";
    return AddToStartPageHead("<script src=\"vfs://Test/probe.js\"></script>\n");
}

UriSchemeResponse SourceResources::Handle(const std::string& uri) {
    UriSchemeResponse response;
    std::string key = uri.substr(std::string("vfs://").size());
    key = key.substr(0, key.find_first_of("?#"));
    std::string body;
    if (auto page = inlinePages.find(key); page != inlinePages.end()) {
        body = page->second;
    } else if (key.find("..") == std::string::npos) {
        std::ifstream file(root + "/" + key, std::ios::binary);
        if (!file) return response;
        std::ostringstream bytes;
        bytes << file.rdbuf();
        body = bytes.str();
    } else {
        return response;
    }
    response.found = true;
    response.body = std::make_shared<const std::string>(body);
    const std::string extension = key.substr(key.rfind('.') + 1);
    response.mimeType = extension == "js" ? "text/javascript" : extension == "css" ? "text/css" : "text/html";
    return response;
}

bool PageDialog::OnAppCommand(int code, const WideString& argument) {
    if (code == kReadyCommand) {
        AnswerHandshake();
        return false;
    }
    commands.emplace_back(code, argument.Std());
    if (onCommand) onCommand(*this, code, argument);
    return false;
}

void PageDialog::OnDocumentComplete() {
    SetDocumentComplete();
    BeginHandshake();
}

bool PageDialog::OnInitDialog() {
    InitHtmlDialog(framed ? DragStrip{} : DragStrip{0, 0, 690, 24});
    SetClientSize(748, 589);
    return true;
}

WideStringVector Args(std::initializer_list<const char16_t*> texts) {
    WideStringVector arguments;
    for (const char16_t* text : texts) arguments.PushBack(WideString(text));
    return arguments;
}

namespace {

gboolean EndStuckDialog(gpointer dialog) {
    static_cast<CHtmlDialog*>(dialog)->EndDialog(-99);
    return G_SOURCE_REMOVE;
}

}  // namespace

void PageSteps::Start() { g_timeout_add(intervalMs_, &PageSteps::RunNext, this); }

int PageSteps::RunNext(void* self) {
    auto& run = *static_cast<PageSteps*>(self);
    if (run.next_ < run.steps.size()) {
        run.steps[run.next_++]();
        g_timeout_add(run.intervalMs_, &PageSteps::RunNext, &run);
    } else {
        run.dialog_.EndDialog(2);
    }
    return G_SOURCE_REMOVE;
}

int RunBounded(CHtmlDialog& dialog, int boundMs) {
    const guint guard = g_timeout_add(static_cast<guint>(boundMs), &EndStuckDialog, &dialog);
    const int code = dialog.DoModal();
    if (code != -99) g_source_remove(guard);
    return code;
}

PageEnvironment::PageEnvironment(const std::string& display) {
    if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
    if (!std::getenv("DISPLAY")) return;
    // The web process's sandbox cannot start as root.
    if (geteuid() == 0) setenv("WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS", "1", 1);
    char home[] = "/tmp/webkitpage-XXXXXX";
    if (!mkdtemp(home)) return;
    home_ = home;
    for (const char* variable : {"XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"}) setenv(variable, home, 1);
    setenv("MESA_SHADER_CACHE_DISABLE", "true", 1);
    toolkit_ = GtkToolkit::Create();
}

PageEnvironment::~PageEnvironment() {
    toolkit_.reset();
    if (!home_.empty()) std::filesystem::remove_all(home_);
}
