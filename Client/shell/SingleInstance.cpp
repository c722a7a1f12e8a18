#include "shell/SingleInstance.h"

#include "platform/ipc/RuntimePath.h"

namespace {

constexpr char kRaiseLine[] = "raise";

}  // namespace

std::string InstanceSocketPath() { return RuntimeObjectPath("LauncherMapFile", "sock"); }

RefPtr<LauncherMapFile> LauncherMapFile::Create(IPresentable* window) {
    if (!window) return nullptr;
    auto server = LocalLineServer::Listen(InstanceSocketPath(), [window](const std::string& line) {
        if (line == kRaiseLine) window->Present();
    });
    if (!server) return nullptr;
    RefPtr<LauncherMapFile> mapFile(new LauncherMapFile);
    mapFile->server_ = std::move(server);
    return mapFile;
}

bool HandOverToRunningInstance(int timeoutMs) { return SendLocalLine(InstanceSocketPath(), kRaiseLine, timeoutMs); }

std::unique_ptr<NamedMutex> TakeSingleInstance() {
    auto mutex = std::make_unique<NamedMutex>(kInstanceMutexName, kInstanceMutexWaitMs, kInstanceMutexRetries);
    if (mutex->IsOwned()) return mutex;
    HandOverToRunningInstance();
    return nullptr;
}
