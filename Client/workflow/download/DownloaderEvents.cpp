#include "workflow/download/DownloaderEvents.h"

#include <cinttypes>

#include "base/runtime/StrUtil.h"

namespace DownloaderEvents {
namespace {

void Send(IMainWindow* window, const char16_t* name, const WideStringVector& arguments = WideStringVector()) {
    if (window) window->SendEventArgs(WideString(name), arguments);
}

WideString Decimal(std::int64_t value) { return StrUtil::FormatW("%" PRId64, value); }

}  // namespace

void OnChecking(IMainWindow* window) { Send(window, u"Downloader.OnChecking"); }

void OnConnecting(IMainWindow* window) { Send(window, u"Downloader.OnConnecting"); }

void OnProgress(IMainWindow* window, const TorrentProgress& progress, std::int64_t total) {
    WideStringVector arguments;
    arguments.PushBack(StrUtil::FormatW("%u", static_cast<unsigned>(progress.percent < 0 ? 0 : progress.percent)));
    arguments.PushBack(Decimal(progress.totalDone));
    arguments.PushBack(Decimal(total));
    arguments.PushBack(StrUtil::FormatW("%d", progress.downloadRate));
    arguments.PushBack(Decimal(progress.uploadRate));
    arguments.PushBack(Decimal(progress.uploaded));
    Send(window, u"Downloader.OnProgress", arguments);
}

void OnPeersInfo(IMainWindow* window, const Vector<TorrentPeerInfo>& peers) {
    WideStringVector arguments;
    for (std::size_t i = 0; i < peers.Size() && i < kMaxPeers; ++i) {
        const TorrentPeerInfo& peer = peers[i];
        arguments.PushBack(peer.endpoint);
        arguments.PushBack(StrUtil::FormatW("%u", static_cast<unsigned>(peer.totalDownload)));
        arguments.PushBack(StrUtil::FormatW("%d", peer.downSpeed));
        arguments.PushBack(StrUtil::FormatW("%u", static_cast<unsigned>(peer.totalUpload)));
        arguments.PushBack(StrUtil::FormatW("%d", peer.upSpeed));
    }
    Send(window, u"Downloader.OnPeersInfo", arguments);
}

void OnPeersLost(IMainWindow* window) { Send(window, u"Downloader.OnPeersLost"); }

void OnDiskSpaceError(IMainWindow* window) { Send(window, u"Launcher.OnDiskSpaceError"); }

}  // namespace DownloaderEvents
