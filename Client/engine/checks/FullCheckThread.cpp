#include "engine/checks/FullCheckThread.h"

#include <system_error>
#include <vector>

#include "base/runtime/StrUtil.h"
#include "engine/checks/HashPool.h"
#include "engine/gamedata/CreateGameVersion.h"
#include "engine/gamedata/GameNames.h"
#include "engine/gamedata/GameVersion5.h"
#include "workflow/repair/Rip.h"

namespace {

std::uint8_t Percent(int done, int total) {
    if (total <= 0) return 100;
    return static_cast<std::uint8_t>(static_cast<unsigned>(done * 100.0 / total));
}

}  // namespace

FullCheckThread::FullCheckThread(Game::IGameVersion* version, IChecker* listener, bool minimalSetOnly,
                                 unsigned threads)
    : version_(version), listener_(listener), minimalSetOnly_(minimalSetOnly), threads_(threads) {}

FullCheckThread::~FullCheckThread() {
    if (thread_.joinable()) {
        gate_.Stop();
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

void FullCheckThread::SetPaused(bool paused) { gate_.SetPaused(paused); }

bool FullCheckThread::WaitWhilePaused() { return gate_.Pass(); }

void FullCheckThread::ListLoadedModules() { modules_.List(String(gameFolder_)); }

bool FullCheckThread::IsChecked(const Game::GameFolder::Content& content) const {
    return !minimalSetOnly_ || (content.Flags() & Game::kMinimalSet) != 0;
}

void FullCheckThread::CheckFiles(Rip& rip) {
    const String root(gameFolder_);
    const Game::FolderList& folders = version_->GetFolders();
    std::vector<Game::HashPool::Job> jobs;
    for (const RefPtr<Game::GameFolder>& folder : folders) {
        const String folderPath = root + folder->name;
        for (const RefPtr<Game::GameFolder::Content>& content : folder->contents) {
            // Every content that goes to the checker gets the hash comparison forced on.
            if (IsChecked(*content)) jobs.push_back({folderPath, content.Get(), true});
        }
    }
    // The threads end with the pool, before the last report.
    Game::HashPool pool(std::move(jobs), Game::CheckerOfFormat(Game::GameVersionFormat), &gate_, threads_);
    const int total = version_->GetContentCount();
    int done = 0;
    std::size_t next = 0;
    for (const RefPtr<Game::GameFolder>& folder : folders) {
        for (const RefPtr<Game::GameFolder::Content>& content : folder->contents) {
            if (!WaitWhilePaused()) return;
            if (IsChecked(*content)) {
                int code = Game::kCheckOk;
                if (!pool.Result(next++, code)) return;
                if (code != Game::kCheckOk) {
                    const String relative = Game::RelativeGamePath(folder->name, content->name);
                    rip.Append(StrUtil::ToWide(relative), content->size, code, content.Get());
                    if (!rip.systemFile) rip.systemFile = IsLoadedModule(relative);
                }
            }
            listener_->SetProgress(Percent(++done, total));
        }
    }
}

void FullCheckThread::Run() {
    ListLoadedModules();
    RefPtr<Rip> rip(new Rip());
    if (WaitWhilePaused()) CheckFiles(*rip);
    // A stop before the end reports what was found so far.
    if (rip->entries.Empty()) {
        listener_->SetSuccess();
    } else {
        listener_->SetFailed(rip.Get());
    }
}
