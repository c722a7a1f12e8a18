#include "platform/glib/GlibTimerHost.h"
#include "platform/gtk/GtkToolkit.h"
#include "shell/LauncherApp.h"
#include "shell/html/DesktopStartupSteps.h"
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
        DesktopStartupSteps steps(*toolkit, &timers, &MakeRootState);
        LauncherApp app(steps, processes);
        return app.Run(argc, argv);
    }
    HeadlessStartupSteps steps;
    LauncherApp app(steps, processes);
    return app.Run(argc, argv);
}
