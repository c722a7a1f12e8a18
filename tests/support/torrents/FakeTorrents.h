#pragma once
// A torrent session and torrents whose every answer the test sets, for the phases of a
// download step: states, finishes, pauses, progress past 4 GiB. Nothing is downloaded;
// the test fires the torrents' events itself.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/torrent/ITorrentSession.h"

class FakeTorrent final : public ITorrent {
public:
    int state = 3;
    std::int64_t totalSize = 1000;
    TorrentProgress progress;
    Vector<TorrentPeerInfo> peers;
    StringVector files;       // every payload file, in order
    StringVector selected;    // the files selected, in order
    WideString name;
    bool paused = true;
    float downloadLimit = -1.0f;
    bool refuseSelection = false;

    void GetSelectedFiles(StringVector& out) override { out = selected; }
    int GetState() override { return state; }
    std::int64_t GetTotalSize() override { return totalSize; }
    void GetProgress(TorrentProgress& out) override { out = progress; }
    void GetPeers(Vector<TorrentPeerInfo>& out) override {
        for (const TorrentPeerInfo& peer : peers) out.PushBack(peer);
    }
    WideString GetName() override { return name; }
    bool IsPaused() override { return paused; }
    void Pause(bool pause) override { paused = pause; }
    void SetDownloadLimit(float limit) override { downloadLimit = limit; }
    float GetDownloadLimit() override { return paused ? 0.0f : downloadLimit; }
    WideString GetRootFolder() override { return WideString(); }
    bool SelectFiles(const StringVector& names, std::int64_t& size) override { return SelectExactFiles(names, size); }
    bool SelectExactFiles(const StringVector& names, std::int64_t& size) override {
        size = 0;
        if (refuseSelection) return false;
        selected = names;
        size = static_cast<std::int64_t>(names.Size()) * 100;
        return true;
    }
    void Reannounce() override {}

    // Sets the bytes done (all of them wanted).
    void SetDone(std::int64_t bytes) {
        progress.totalDone = bytes;
        progress.wantedDone = bytes;
    }

private:
    ~FakeTorrent() override = default;
};

class FakeTorrentSession final : public ITorrentSession {
public:
    // What AddTorrent gives for a name; unknown names are refused.
    std::map<std::u16string, RefPtr<FakeTorrent>> torrents;
    std::vector<int> limits;  // every SetDownloadLimit, in order
    int alertRounds = 0;
    bool paused = false;
    int pauses = 0;

    RefPtr<FakeTorrent> Make(const std::u16string& name) {
        RefPtr<FakeTorrent> torrent(new FakeTorrent);
        torrent->name = WideString(name.c_str());
        torrents[name] = torrent;
        return torrent;
    }

    RefPtr<ITorrent> AddExistingTorrent(const WideString&, const WideString&) override { return nullptr; }
    RefPtr<ITorrent> AddTorrent(const WideString& name) override {
        const auto found = torrents.find(name.Std());
        return found == torrents.end() ? RefPtr<ITorrent>() : RefPtr<ITorrent>(found->second.Get());
    }
    bool ProcessAlerts() override {
        ++alertRounds;
        return true;
    }
    void SetDownloadLimit(int kilobytesPerSecond) override { limits.push_back(kilobytesPerSecond); }
    bool IsPaused() override { return paused; }
    void Pause() override {
        paused = true;
        ++pauses;
    }
    void Resume() override { paused = false; }

private:
    ~FakeTorrentSession() override = default;
};
