#include "workflow/game/GameProcess.h"

#include "platform/process/ChildReaper.h"
#include "platform/x11/ForegroundWindow.h"

namespace {

struct LastGame {
    GameProcess process;
    pid_t id = 0;
};

LastGame& Last() {
    static LastGame last;
    return last;
}

}  // namespace

GameProcess ShareGameProcess(ProcessHandle&& handle) {
    return GameProcess(new ProcessHandle(std::move(handle)), [](ProcessHandle* game) {
        ReapWhenEnded(std::move(*game));
        delete game;
    });
}

void SetLastGameProcess(const GameProcess& game) {
    if (!game) return;
    Last().process = game;
    Last().id = game->Pid();
}

pid_t GameProcessId() { return Last().id; }

bool IsGameRunning() {
    const GameProcess& game = Last().process;
    return game && game->Poll() == ProcessState::Running;
}

bool IsGameForeground() {
    if (!IsGameRunning()) return false;
    const std::optional<pid_t> front = ForegroundWindowProcess();
    return front ? *front == GameProcessId() : true;
}
