// The game functor's hub half: in the progressive mode the game hub downloads the
// game's packs. Command 77 links to it; every 100 ms the functor takes one of the
// hub's messages, asks for the pack list while it has none (then once a minute), and
// tells the page how much of the game is ready and whether the game can run, until
// all of it is there. High-resolution packs the player does not want are left out of
// the list and the hub is asked to disable them; new builds of the installed version
// are accepted.
#include <unistd.h>

#include <chrono>
#include <thread>

#include "hublink/InterCom.h"
#include "workflow/Settings.h"
#include "workflow/WorkflowValues.h"
#include "workflow/game/GameFunctor.h"

namespace {

constexpr char kHubExecutable[] = "/VantryLight/VantryHub.exe";
constexpr int kHubApiVersion = 3;
// "gfx_texture_mip" below this loads the high-resolution textures.
constexpr int kHiresTextureMip = 2;

GameFunctor& Self(void* context) { return *static_cast<GameFunctor*>(context); }

}  // namespace

bool GameFunctor::StartHub(bool hiresOptional) {
    if (!hiresOptional) Settings::gfx_texture_mip.SetInt(0);
    // A second 77 keeps the link, its pack list and its timer.
    if (hubLink_) return true;
    hubTimer_ = view_->CreateHubTimer();
    if (hubTimer_) {
        hubTimer_->OnTick.Connect<&GameFunctor::OnHubTick>(this);
        if (ConnectHub() && hubTimer_->Start(kHubTickMs)) return true;
    }
    // Without ticks nothing would ever be reported: the link is not kept either.
    hubLink_.reset();
    hubTimer_ = nullptr;
    view_->OnVtConnectFail();
    return true;
}

bool GameFunctor::ConnectHub() {
    InterComHandshake handshake;
    handshake.words[1] = static_cast<std::uint32_t>(Settings::vantry_project_id.GetInt());
    handshake.words[4] = static_cast<std::uint32_t>(getpid());
    const WideString hubExecutable(String((options_.binFolder + kHubExecutable).c_str()));
    if (options_.makeHubLink) {
        hubLink_ = options_.makeHubLink(handshake, hubExecutable, HubCallbacks());
    } else {
        hubLink_ = std::make_unique<VTInterCom::CInterCom>(handshake, hubExecutable, HubCallbacks());
    }
    return static_cast<bool>(hubLink_);
}

InterComCallbacks GameFunctor::HubCallbacks() {
    // Protocol errors, network parameters, progress counters and packages-file errors
    // are of no use here: their slots stay empty.
    InterComCallbacks callbacks;
    callbacks.context = this;
    callbacks.packInfos = [](void* context, const PackInfos& infos) { Self(context).OnPackInfos(infos); };
    callbacks.buildInfo = [](void* context, const PackInfos& infos) { Self(context).OnBuildInfo(infos); };
    callbacks.newBuildDetected = [](void* context, int newBuild, const String& buildInfo) {
        Self(context).OnNewBuildDetected(newBuild, buildInfo);
    };
    callbacks.reconnected = [](void* context) { Self(context).OnHubReconnected(); };
    callbacks.params = [](void* context, int processId, int apiVersion, bool lightMode, int clientAccepted) {
        Self(context).OnHubParams(processId, apiVersion, lightMode, clientAccepted);
    };
    return callbacks;
}

bool GameFunctor::OnHubTick(std::int64_t) {
    if (!hubLink_ || !hubLink_->IsConnected()) {
        view_->OnVtConnectionLost();
        return true;
    }
    hubLink_->ReceiveAndDispatch();
    const bool askForList = (packList_.Empty() && (hubTicks_ == 0 || hubTicks_ >= kPackListRetryTicks)) ||
                            hubTicks_ >= kPackListRefreshTicks;
    if (askForList) {
        hubLink_->GetPackInfos();
        hubTicks_ = 0;
    } else if (newPackInformation_) {
        const HubPackList::Readiness readiness = packList_.Measure(requiredCount_);
        percent_ = readiness.percent;
        allRequiredComplete_ = readiness.allRequiredComplete;
        newPackInformation_ = false;
    }
    ++hubTicks_;
    if (percent_ < 100) {
        view_->OnDownloading(percent_, allRequiredComplete_);
    } else {
        view_->OnDownloadingFinished();
        hubTimer_->Stop();
    }
    return true;
}

void GameFunctor::OnPackInfos(const PackInfos& infos) {
    if (infos.ServerBuild == 0) return;
    if (infos.FullPackSet) {
        // A list of another build than the installed one is not this game's.
        if (infos.BuildInfo.View() != versionText_.View()) return;
        hubSession_ = infos.ServerBuild;
        pendingPackStates_.Clear();
        const bool keepHires = Settings::gfx_texture_mip.GetInt() < kHiresTextureMip;
        for (const String& name : packList_.ReplaceWith(infos, keepHires)) QueuePackState(name, 0, 0);
        FlushPackStates();
    } else {
        if (infos.ServerBuild != hubSession_) return;
        packList_.Update(infos);
    }
    newPackInformation_ = true;
}

void GameFunctor::QueuePackState(const String& name, int priority, int enable) {
    pendingPackStates_.PushBack(PackState{name, priority, enable});
}

void GameFunctor::FlushPackStates() {
    if (pendingPackStates_.Empty() || !hubLink_) return;
    // A request the hub could not be sent stays queued: the next connection sends it.
    if (hubLink_->SetPackStateEx(pendingPackStates_)) pendingPackStates_.Clear();
}

void GameFunctor::OnBuildInfo(const PackInfos& infos) {
    if (infos.ServerBuild != 0 && infos.BuildInfo.View() == versionText_.View()) hubLink_->GetPackInfos();
}

void GameFunctor::OnNewBuildDetected(int newBuild, const String& buildInfo) {
    if (newBuild != 0 && buildInfo.View() == versionText_.View()) hubLink_->SetClientAcceptedBuild(newBuild);
}

void GameFunctor::OnHubReconnected() { FlushPackStates(); }

void GameFunctor::OnHubParams(int, int apiVersion, bool lightMode, int clientAccepted) {
    // A hub of another protocol, or one that has not accepted this client, is left for
    // the next socket name.
    if (hubLink_ && (apiVersion != kHubApiVersion || (clientAccepted != 1 && !lightMode))) hubLink_->Reconnect();
}

void GameFunctor::EndHubLink() {
    if (!hubLink_) return;
    if (launcherUpdate_ || (Workflow::ProgressiveDownload() && !Workflow::MinimumCheck())) DrainHub();
    hubLink_.reset();
}

void GameFunctor::DrainHub() {
    if (!hubLink_->IsConnected() || !hubLink_->Terminate()) return;
    for (int poll = 0; poll < kDrainPolls && hubLink_->IsConnected(); ++poll) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kDrainPollMs));
        hubLink_->ReceiveAndDispatch();
    }
}
