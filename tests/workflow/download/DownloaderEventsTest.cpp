// The shared download events as the page receives them.
#include <gtest/gtest.h>

#include "workflow/RecordingWindow.h"
#include "workflow/download/DownloaderEvents.h"

namespace {

TEST(DownloaderEvents, ProgressCarriesWhole64BitCountsAsDecimalTexts) {
    RecordingWindow window;
    TorrentProgress progress;
    progress.percent = 62;
    progress.totalDone = 5368709125;     // 5 GiB and 5 bytes
    progress.downloadRate = 123456;
    progress.uploadRate = 4294967296;    // past 32 bits
    progress.uploaded = 8589934592;
    DownloaderEvents::OnProgress(&window, progress, 8589934597);
    ASSERT_EQ(window.events.size(), 1u);
    EXPECT_EQ(window.events[0], (EventRecord{u"Downloader.OnProgress", u"62", u"5368709125", u"8589934597", u"123456",
                                             u"4294967296", u"8589934592"}));
}

TEST(DownloaderEvents, ThePeerReportListsAtMostTwentyPeersWithFiveTextsEach) {
    RecordingWindow window;
    Vector<TorrentPeerInfo> peers;
    DownloaderEvents::OnPeersInfo(&window, peers);
    for (int i = 0; i < 25; ++i) {
        peers.PushBack(TorrentPeerInfo{WideString(u"127.0.0.2 : 6881"), WideString(u"-LT-"), 7, 1000 - i, 4000000000u, 9});
    }
    DownloaderEvents::OnPeersInfo(&window, peers);
    ASSERT_EQ(window.events.size(), 2u);
    EXPECT_EQ(window.events[0], EventRecord{u"Downloader.OnPeersInfo"});
    ASSERT_EQ(window.events[1].size(), 1u + 20 * 5);
    EXPECT_EQ(EventRecord(window.events[1].begin() + 1, window.events[1].begin() + 6),
              (EventRecord{u"127.0.0.2 : 6881", u"4000000000", u"1000", u"9", u"7"}));
}

}  // namespace
