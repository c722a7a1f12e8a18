#pragma once
// Numbers of the string-table entries that the code loads by name.
namespace StringId {
constexpr int TitleWithVersion = 129;
constexpr int GameExecutable = 130;
constexpr int OwnLauncherVersion = 131;
constexpr int PatchPlanLocked = 132;
constexpr int VersionFile = 134;
constexpr int GlobalCfg = 135;
constexpr int MonitoredStartSwitch = 136;
constexpr int PatchesFolder = 137;
constexpr int LauncherCfg = 138;
constexpr int PatchPlanName = 139;
constexpr int PatchApplier = 140;
constexpr int DefaultHost = 141;
constexpr int DefaultPort = 142;
constexpr int NeedsAdministrator = 143;
constexpr int GameRoot = 144;
constexpr int MainWindowHeight = 145;
constexpr int MainWindowWidth = 146;
constexpr int SeedServers = 147;  // the HTTP seed servers, web seeds of every torrent, separated by ';'
constexpr int BrowserTooOld = 148;
constexpr int NetworkDrive = 149;
constexpr int MainWindowPositionKey = 150;
constexpr int PageNeverReady = 151;
constexpr int FirewallRuleName = 152;
constexpr int FirewallRuleGrouping = 153;
constexpr int FirewallRuleDescription = 154;
constexpr int FirewallDialogWidth = 155;
constexpr int FirewallDialogHeight = 156;
constexpr int FirewallDialogPositionKey = 157;
constexpr int FirewallAsksFirst = 158;
constexpr int PathWithHash = 159;
constexpr int ManualPatchTitle = 160;
constexpr int ManualPatchFilter = 161;
constexpr int ManualPatchOtherVersion = 162;
constexpr int ManualPatchNotAnnounced = 163;
constexpr int ManualPatchFilesMissing = 164;
constexpr int ManualPatchConfirm = 165;
constexpr int DemoMarker = 166;
constexpr int DefaultHostPath = 167;
constexpr int PatchesHistoryName = 168;
constexpr int CurrentVersionName = 169;
constexpr int LauncherTorrentName = 170;
constexpr int GameName = 172;
constexpr int FirewallDragStripWidth = 315;
constexpr int FirewallDragStripHeight = 317;
constexpr int FirewallPostPositionKey = 334;
constexpr int FirewallPostHeight = 551;
}  // namespace StringId

// Resource numbers of the embedded data.
namespace ResourceId {
constexpr int UiArchive = 103;
}  // namespace ResourceId
