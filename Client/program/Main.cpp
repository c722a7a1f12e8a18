#include "shell/LauncherApp.h"

int main(int argc, char** argv) {
    HeadlessStartupSteps steps;
    SystemProcessQuery processes;
    LauncherApp app(steps, processes);
    return app.Run(argc, argv);
}
