#pragma once
// One torrent inside a TorrentSession. It is added paused and stays paused until its
// owner calls Pause(false), once its events are connected; from then on libtorrent's
// queue manages it (auto-managed). A pause from here takes the torrent out of the
// queue, so that it sticks.
//
// The torrent holds its session strongly, the session holds it weakly; releasing the
// last torrent and the owner's reference ends the session.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <libtorrent/add_torrent_params.hpp>
#include <libtorrent/download_priority.hpp>
#include <libtorrent/socket.hpp>
#include <libtorrent/torrent_handle.hpp>

#include "engine/torrent/ITorrent.h"
#include "engine/torrent/TorrentFiles.h"

class TorrentSession;

class Torrent final : public ITorrent {
public:
    // Null when the torrent file does not load, when mustExist is set and a payload file
    // is missing below savePath, or when the engine refuses the torrent.
    static RefPtr<Torrent> Create(TorrentSession* session, const WideString& torrentPath, const WideString& resumePath,
                                  const WideString& savePath, bool mustExist, int uploadLimit);

    void GetSelectedFiles(StringVector& files) override;
    int GetState() override;
    std::int64_t GetTotalSize() override { return totalSize_; }
    void GetProgress(TorrentProgress& progress) override;
    void GetPeers(Vector<TorrentPeerInfo>& peers) override;
    WideString GetName() override { return name_; }
    bool IsPaused() override;
    void Pause(bool pause) override;
    void SetDownloadLimit(float kilobytesPerSecond) override;
    float GetDownloadLimit() override;
    WideString GetRootFolder() override { return rootFolder_; }
    bool SelectFiles(const StringVector& names, std::int64_t& selectedSize) override;
    bool SelectExactFiles(const StringVector& paths, std::int64_t& selectedSize) override;
    void Reannounce() override;

    const lt::torrent_handle& Handle() const { return handle_; }

    // Alert handlers, called by the session.
    void OnStateChanged(int state);
    // The last piece passed its check; Finished fires once the engine has written every
    // piece to disk (libtorrent's disk threads may still hold some when it says finished),
    // so that owners may use the files at once.
    void OnDownloadFinished();
    void OnCacheFlushed();
    // The engine has applied a change of priorities. libtorrent 2.0 merges a change made
    // while an earlier one is still on its way against the priorities before that one,
    // and so loses part of it: the engine gets ours again until it holds them. Once it
    // does, a resume asked for meanwhile goes ahead.
    void OnPrioritiesApplied();
    void OnPeerConnected(const lt::peer_id& id, const lt::tcp::endpoint& endpoint);
    void OnPeerDisconnected(const lt::peer_id& id, const lt::tcp::endpoint& endpoint);
    // Writes the engine's resume data to the resume file (whole, through a temporary file).
    void SaveResumeData(const lt::add_torrent_params& resumeData);

private:
    Torrent(TorrentSession* session, const lt::torrent_handle& handle, TorrentInfoPtr info, const WideString& name,
            const WideString& resumePath);
    ~Torrent() override;

    // Gives the wanted payload files low priority and every other file none.
    bool Select(const std::function<bool(const std::string& path)>& isWanted, std::int64_t& selectedSize);
    // Resumes the torrent when its owner asked for it and the engine holds our choice of
    // files: running earlier, it would fetch files that nobody asked for.
    void ResumeOnceChoiceHeld();

    RefPtr<TorrentSession> session_;
    lt::torrent_handle handle_;
    TorrentInfoPtr info_;
    std::int64_t totalSize_;
    WideString resumePath_;
    WideString name_;
    WideString rootFolder_;
    // The priorities last given to the engine. libtorrent 2.0 applies them
    // asynchronously, so reading them back right away would give the old ones.
    std::vector<lt::download_priority_t> priorities_;
    bool choiceHeld_ = true;     // the engine holds priorities_ (libtorrent's defaults at first)
    bool resumeWanted_ = false;  // Pause(false) came while the engine still applied a choice
    bool finishing_ = false;     // finished, waiting for the flush to disk
};
