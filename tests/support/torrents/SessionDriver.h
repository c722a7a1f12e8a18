#pragma once
// Drives a TorrentSession by hand, as the owner's timer would: ProcessAlerts until a
// condition holds, bounded in time. It waits on libtorrent's alert queue between
// rounds, never on a timer.
#include <chrono>
#include <functional>

#include <libtorrent/socket.hpp>

#include "engine/torrent/ITorrent.h"
#include "engine/torrent/TorrentSession.h"
#include "engine/torrent/TorrentSessionConfig.h"
#include "support/ManualTimerHost.h"

// A session that talks to loopback only: 127.0.0.1 on a port of the system's choice,
// no DHT, local discovery or port mapping, TCP only (uTP crawls over loopback).
TorrentSessionConfig LoopbackSessionConfig();

bool DriveUntil(TorrentSession& session, const std::function<bool()>& done,
                std::chrono::milliseconds limit = std::chrono::seconds(20));

// Makes a resumed torrent dial the seed: the road to a peer without a tracker.
void ConnectToSeed(ITorrent& torrent, const lt::tcp::endpoint& seed);

// Drives a download step's window timers by hand: a tick of tickMs, then a short real
// pause for the engine's threads, until the condition holds or the real-time bound
// passes. True when it held.
bool TickUntil(ManualTimerHost& timers, const std::function<bool()>& done,
               std::chrono::milliseconds limit = std::chrono::seconds(60), std::int64_t tickMs = 2000);
