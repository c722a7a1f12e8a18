#include "engine/checks/FullCheckThread.h"

#include <system_error>

#include "base/runtime/StrUtil.h"
#include "engine/gamedata/CRCChecker4.h"
#include "engine/gamedata/CRCChecker5.h"
#include "engine/gamedata/GameNames.h"
#include "engine/gamedata/GameVersion.h"
#include "engine/gamedata/GameVersion5.h"
#include "workflow/repair/Rip.h"

namespace {

RefPtr<Game::ICRCChecker> CheckerOfFormat() {
    if (Game::GameVersionFormat == 4) return RefPtr<Game::ICRCChecker>(new Game::CRCChecker4(Game::kCheckerBufferSize));
    return RefPtr<Game::ICRCChecker>(new Game::CRCChecker5(Game::kCheckerBufferSize));
}

std::uint8_t Percent(int done, int total) {
    if (total <= 0) return 100;
    return static_cast<std::uint8_t>(static_cast<unsigned>(done * 100.0 / total));
}

}  // namespace

FullCheckThread::FullCheckThread(Game::IGameVersion* version, IChecker* listener, bool minimalSetOnly)
    : version_(version), listener_(listener), minimalSetOnly_(minimalSetOnly) {}

FullCheckThread::~FullCheckThread() {
    if (thread_.joinable()) {
        {
            std::lock_guard<std::mutex> lock(gateLock_);
            stop_ = true;
        }
        gate_.notify_all();
        thread_.join();
    }
}

bool FullCheckThread::Start(const WideString& gameFolder) {
    if (started_ || !version_ || !listener_) return false;
    started_ = true;
    gameFolder_ = gameFolder;
    try {
        thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void FullCheckThread::SetPaused(bool paused) {
    {
        std::lock_guard<std::mutex> lock(gateLock_);
        if (paused_ == paused) return;
        paused_ = paused;
    }
    gate_.notify_all();
}

bool FullCheckThread::WaitWhilePaused() {
    std::unique_lock<std::mutex> lock(gateLock_);
    gate_.wait(lock, [this] { return !paused_ || stop_; });
    return !stop_;
}

void FullCheckThread::ListLoadedModules() { modules_.List(String(gameFolder_)); }

void FullCheckThread::Run() {
    ListLoadedModules();
    const String folder(gameFolder_);
    RefPtr<Rip> rip(new Rip());
    const Game::FolderList& folders = version_->GetFolders();
    if (WaitWhilePaused()) {
        RefPtr<Game::ICRCChecker> checker = CheckerOfFormat();
        checker->SetStopFlag(&stop_);
        const int total = version_->GetContentCount();
        int done = 0;
        bool stopped = false;
        for (const RefPtr<Game::GameFolder>& gameFolder : folders) {
            for (const RefPtr<Game::GameFolder::Content>& content : gameFolder->contents) {
                if (!WaitWhilePaused()) {
                    stopped = true;
                    break;
                }
                if (!minimalSetOnly_ || (content->Flags() & Game::kMinimalSet) != 0) {
                    content->AddFlags(Game::kCompareHash);
                    const int code = checker->Check(folder + gameFolder->name, content.Get());
                    // A file whose reading a stop interrupted was not really checked.
                    if (stop_) {
                        stopped = true;
                        break;
                    }
                    if (code != Game::kCheckOk) {
                        const String relative = Game::RelativeGamePath(gameFolder->name, content->name);
                        rip->Append(StrUtil::ToWide(relative), content->size, code);
                        if (!rip->systemFile) rip->systemFile = IsLoadedModule(relative);
                    }
                }
                listener_->SetProgress(Percent(++done, total));
            }
            if (stopped) break;
        }
    }
    if (rip->entries.Empty()) {
        listener_->SetSuccess();
    } else {
        listener_->SetFailed(rip.Get());
    }
}
