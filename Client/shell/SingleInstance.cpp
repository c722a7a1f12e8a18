#include "shell/SingleInstance.h"

#include "base/runtime/StrUtil.h"
#include "platform/ipc/RuntimePath.h"
#include "shell/resources/MessageSink.h"

namespace {

constexpr char kRaiseLine[] = "raise";

}  // namespace

WideString RefusedLockMessage() {
    const String lockFile = NamedMutex::LockFilePath(kInstanceMutexName);
    const std::string text =
        lockFile.IsEmpty()
            ? "The launcher does not start: " + UserTmpFolder() +
                  " belongs to another user or is open to others, and the launcher keeps its lock there. "
                  "Remove that folder, or set XDG_RUNTIME_DIR to a folder of your own."
            : "The launcher does not start: its lock file " + lockFile.Std() +
                  " belongs to another user, who could keep the launcher from ever starting. Remove that file.";
    return StrUtil::ToWide(String(text.c_str()));
}

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
    if (mutex->Refused()) {
        GetMessageSink().Show(RefusedLockMessage(), WideString(u"Launcher.exe"), MessageStyle::IconError);
        return nullptr;
    }
    HandOverToRunningInstance();
    return nullptr;
}
