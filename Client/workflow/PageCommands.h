#pragma once
// The page's command codes ("app:CODE@ARGUMENT"). The main window takes 666, 1002,
// 1004 and 2001 itself; every other code goes to MainState.
namespace PageCommand {
constexpr int Break = 0;
constexpr int RepairGameVersion = 6;
constexpr int LocaleLoad = 10;
constexpr int LocaleSetData = 11;
constexpr int ReserveDownloadChannel = 12;
constexpr int PrefsLoad = 20;
constexpr int LauncherUpdate = 25;
constexpr int RunNewLauncher = 26;
constexpr int PatchesRequest = 30;
constexpr int PatchesRequestFuture = 31;
constexpr int FastCheckRun = 40;
constexpr int CheckAttributesRun = 45;
constexpr int FullCheckRun = 50;
constexpr int RipRequest = 60;
constexpr int GameSetReady = 70;
constexpr int GameStartHubLink = 77;
constexpr int VersionUpdate = 80;
constexpr int LocaleSave = 100;
constexpr int PrefsReset = 201;
constexpr int PrefsApply = 202;
constexpr int PatchesDownload = 300;
constexpr int ProgressiveFullCheckRun = 501;
constexpr int ProgressiveMinimumCheckRun = 502;
constexpr int RipDownload = 600;
constexpr int JavaScriptReady = 666;
constexpr int GameRun = 700;
constexpr int GameStartEpayAutoupdate = 770;
constexpr int RepairLockRetry = 800;
constexpr int Exit = 1002;
constexpr int Restart = 1003;
constexpr int SafeRestart = 1004;
constexpr int OpenFirewallSettings = 2000;
constexpr int Minimize = 2001;
constexpr int NewLauncher = 2700;
constexpr int DownloadLauncher = 2701;
constexpr int RunDownloadedLauncher = 2702;
constexpr int PatchesApply = 3000;
constexpr int PatchesApplyManually = 3001;
constexpr int FullDownload = 4001;
constexpr int FullDownloaded = 4002;
constexpr int DownloadFullBackground = 5000;
constexpr int RipApply = 6000;
constexpr int FrameLoad = 7835;
constexpr int RepairLockAbort = 8000;
constexpr int SetLogin = 9000;
constexpr int DemoAskForFullVersion = 10000;
constexpr int DemoDownloadFullVersion = 10001;
constexpr int DemoDownloadFullCancel = 10002;
}  // namespace PageCommand
