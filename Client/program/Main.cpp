#include "platform/glib/GlibTimerHost.h"
#include "platform/gtk/GtkToolkit.h"
#include "shell/LauncherApp.h"
#include "shell/html/DesktopStartupSteps.h"
#include "shell/html/ToolkitMessageSink.h"
#include "workflow/MainState.h"

namespace {

RefPtr<IState> MakeRootState(HTMLViewer& window) { return RefPtr<IState>(MainState::Create(&window)); }

}  // namespace

int main(int argc, char** argv) {
    SystemProcessQuery processes;
    // With a display the page runs in a real window; without one (CI, a terminal)
    // the launcher reports its run and ends.
    if (std::unique_ptr<GtkToolkit> toolkit = GtkToolkit::Create()) {
        GlibTimerHost timers(&Timer::TimerProc);
        ToolkitMessageSink messages(toolkit->Messages());
        SetMessageSink(&messages);
        DesktopStartupSteps steps(*toolkit, &timers, &MakeRootState);
        LauncherApp app(steps, processes);
        const int code = app.Run(argc, argv);
        SetMessageSink(nullptr);
        return code;
    }
    HeadlessStartupSteps steps;
    LauncherApp app(steps, processes);
    return app.Run(argc, argv);
}
