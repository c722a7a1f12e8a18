// Races other copies of itself for the launcher's single instance, through the
// launcher's own code. The winner listens like the main window does and waits (at
// most LINGER milliseconds) to be raised; a loser hands over and ends.
//   instance_racer OUT-FILE [LINGER-MS]
// OUT-FILE receives "raised", "not raised" (winner), "handed over", "no one to raise" (loser)
// or "refused" (the lock is not the user's own: no race at all).
#include <cstdio>
#include <cstdlib>
#include <glib.h>

#include "shell/SingleInstance.h"

namespace {

struct Window : IPresentable {
    GMainLoop* loop = nullptr;
    bool raised = false;
    void Present() override {
        raised = true;
        g_main_loop_quit(loop);
    }
};

void Report(const char* path, const char* outcome) {
    if (FILE* file = std::fopen(path, "w")) {
        std::fputs(outcome, file);
        std::fclose(file);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const int lingerMs = argc > 2 ? std::atoi(argv[2]) : 10000;
    auto mutex = std::make_unique<NamedMutex>(kInstanceMutexName, kInstanceMutexWaitMs, kInstanceMutexRetries);
    if (mutex->Refused()) {
        Report(argv[1], "refused");
        return 0;
    }
    if (!mutex->IsOwned()) {
        Report(argv[1], HandOverToRunningInstance() ? "handed over" : "no one to raise");
        return 0;
    }
    Window window;
    window.loop = g_main_loop_new(nullptr, FALSE);
    RefPtr<LauncherMapFile> mapFile = LauncherMapFile::Create(&window);
    if (!mapFile) return 1;
    g_timeout_add(static_cast<guint>(lingerMs), [](gpointer loop) -> gboolean {
        g_main_loop_quit(static_cast<GMainLoop*>(loop));
        return G_SOURCE_REMOVE;
    }, window.loop);
    g_main_loop_run(window.loop);
    Report(argv[1], window.raised ? "raised" : "not raised");
    mapFile = nullptr;
    g_main_loop_unref(window.loop);
    return 0;
}
