#include "shell/html/HTMLViewer.h"

#include <string>
#include <utility>

#include "shell/DemoMarker.h"
#include "shell/ProgramStarts.h"
#include "shell/resources/StringIds.h"
#include "shell/resources/StringTable.h"

namespace {

constexpr int kInitialTitle = 172;
constexpr int kDragStripWidth = 300;
constexpr int kDragStripHeight = 301;

WideStringVector Flags(bool first, bool second) {
    WideStringVector flags;
    flags.PushBack(WideString(first ? u"1" : u"0"));
    flags.PushBack(WideString(second ? u"1" : u"0"));
    return flags;
}

}  // namespace

HTMLViewer::HTMLViewer(IUiToolkit& toolkit, TimerHost* timers, WideString& result, std::string startUrl,
                       RefPtr<AppParams> params, std::string registryKey, RootStateFactory makeRoot)
    : CHtmlDialog(toolkit, timers, std::move(startUrl), std::move(registryKey)),
      timers_(timers),
      result_(result),
      params_(std::move(params)),
      makeRoot_(std::move(makeRoot)) {}

HTMLViewer::~HTMLViewer() {
    mapFile_.Reset();
    root_.Reset();
}

bool HTMLViewer::OnInitDialog() {
    // Without the hand-over a later start cannot raise this window; the launcher
    // itself still works, so it carries on.
    mapFile_ = LauncherMapFile::Create(this);

    bool hasWidth = false, hasHeight = false;
    DragStrip strip;
    strip.right = LoadResNumber(kDragStripWidth, hasWidth);
    strip.bottom = LoadResNumber(kDragStripHeight, hasHeight);
    if (!hasWidth || !hasHeight) strip = DragStrip{};
    if (!InitHtmlDialog(strip)) return false;

    SetTitle(LoadResString(kInitialTitle));
    const int width = LoadResNumber(StringId::MainWindowWidth, hasWidth);
    const int height = LoadResNumber(StringId::MainWindowHeight, hasHeight);
    if (hasWidth && hasHeight) SetClientSize(width, height);
    borderless_ = Window().IsBorderless();
    return true;
}

void HTMLViewer::OnDocumentComplete() {
    SetDocumentComplete();
    root_ = makeRoot_ ? makeRoot_(*this) : RefPtr<IState>();
    BeginHandshake();
}

void HTMLViewer::OnHandshakeMissing() {
    LogPageTraffic("page", "did not answer AppReady");
    root_.Reset();
    EndDialog(1);
}

bool HTMLViewer::SendEvent(const WideString& name) { return SendEventArgs(name, WideStringVector()); }

bool HTMLViewer::SendEventArgs(const WideString& name, const WideStringVector& arguments) {
    LogPageTraffic("page event", String(name).Std());
    return View().SendEventArgs(name, arguments);
}

bool HTMLViewer::OnAppCommand(int code, const WideString& argument) {
    LogPageTraffic("page command", std::to_string(code));
    switch (code) {
    case kReadyCommand:
        AnswerHandshake();
        break;
    case kCloseCommand:
        root_.Reset();
        if (params_ && params_->demoState == 3) FinalizeDemoMarker(*params_);
        EndDialog(2);
        break;
    case kRestartCommand:
        RestartLauncher(true);
        root_.Reset();
        EndDialog(2);
        break;
    case kMinimiseCommand:
        Window().Iconify();
        break;
    default:
        // Held for the call: the command may end the window and release the root.
        if (RefPtr<IState> root = root_) root->OnCommand(code, argument);
        break;
    }
    return false;
}

void HTMLViewer::FinishWithResult(const WideString& followUp) {
    result_ = followUp;
    root_.Reset();
    EndDialog(2);
}

void HTMLViewer::SetTitleVersion(const WideString& version) {
    SetTitle(FormatResString(StringId::TitleWithVersion, {version}));
}

void HTMLViewer::OnActivate(bool active, bool minimised) {
    if (IsDocumentComplete()) SendEventArgs(WideString(u"OnWindowActiveStateChanged"), Flags(active, minimised));
}

void HTMLViewer::OnCancel() {
    if (!borderless_) SendEvent(WideString(u"App.OnCancel"));
}

void HTMLViewer::Present() { Window().Present(); }
