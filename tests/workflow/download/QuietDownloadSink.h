#pragma once
// A download sink that hears everything and does nothing: a test overrides only what it
// watches. Every finish is taken.
#include "workflow/download/IDownloadSink.h"

struct QuietDownloadSink : IDownloadSink {
    void OnChecking() override {}
    void OnConnecting() override {}
    void OnProgress(const TorrentProgress&, std::int64_t) override {}
    void OnPeersInfo(const Vector<TorrentPeerInfo>&) override {}
    void OnPeersLost() override {}
    void OnTorrentError() override {}
    void OnDiskSpaceError() override {}
    bool OnAllFinished() override { return true; }
    void OnComplete() override {}
    void OnCompleteTimeout() override {}
};
