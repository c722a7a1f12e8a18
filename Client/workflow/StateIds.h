#pragma once
// Fixed identifiers of the steps whose results later steps take (IState::GetId), and
// the window timer identifiers and periods of the features.
namespace StateId {
constexpr int PatchesRequest = 123;
constexpr int PatchesDownload = 234;
constexpr int FullCheck = 345;
constexpr int RipRequest = 456;
constexpr int RipDownload = 567;
constexpr int InitialCheck = 789;
constexpr int LauncherDownloadTorrent = 40123;
constexpr int LauncherDownloadFiles = 40234;
}  // namespace StateId

namespace TimerId {
constexpr int FullCheck = 1;          // 500 ms
constexpr int PatchesDownload = 2;    // 2000 ms
constexpr int HttpRequest = 3;        // 10 ms: the initial check and the patch request
constexpr int Repair = 4;             // 500 ms
constexpr int RipDownload = 5;        // 2000 ms
constexpr int RipRequest = 6;         // 10 ms
constexpr int GameMonitor = 7;        // 500 ms
constexpr int AttributeCheck = 200;   // 1000 ms
constexpr int HubProgress = 771;      // 100 ms
constexpr int LauncherDownloadBase = 718;  // the launcher download counts up from here: 719, 720, ...
}  // namespace TimerId
