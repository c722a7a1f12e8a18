#include "workflow/patches/ManualPatch.h"

#include <dirent.h>
#include <fnmatch.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <vector>

#include "base/io/Path.h"
#include "base/runtime/StrUtil.h"
#include "engine/gamedata/CreateGameVersion.h"
#include "engine/gamedata/GameVersion.h"
#include "engine/gamedata/GameVersion5.h"
#include "platform/posix/RegularFile.h"
#include "platform/process/ProcessHandle.h"
#include "platform/process/ProcessSpawn.h"
#include "shell/resources/StringIds.h"
#include "shell/resources/StringTable.h"
#include "workflow/VersionCompare.h"

namespace {

std::string Narrow(const WideString& text) { return StrUtil::ToNarrow(text).Std(); }
WideString Wide(const std::string& text) { return StrUtil::ToWide(String(text.c_str())); }

// The folder part of a path ("" when it has none); the root is its own last folder.
WideString ParentFolder(const WideString& path) {
    const std::u16string text = path.Std();
    const std::size_t slash = text.find_last_of(u'/');
    if (slash == std::u16string::npos || text == u"/") return WideString();
    return WideString(std::u16string_view(text).substr(0, slash == 0 ? 1 : slash));
}

WideString LastComponent(const WideString& path) {
    const std::u16string text = path.Std();
    const std::size_t slash = text.find_last_of(u'/');
    return WideString(std::u16string_view(text).substr(slash == std::u16string::npos ? 0 : slash + 1));
}

enum class EntryType { File, Folder };

// The names of the folder's entries of that type that match the mask (ASCII letter case
// folded, as the desktop's file finders do), sorted so that every machine walks them in
// the same order. Links are followed: the player's own folder may use them.
std::vector<std::string> MatchingEntries(const WideString& folder, const WideString& mask, EntryType type) {
    std::vector<std::string> names;
    const std::string base = Narrow(folder);
    const std::string pattern = Narrow(mask);
    DIR* dir = ::opendir(base.empty() ? "." : base.c_str());
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == ".." || ::fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) != 0) continue;
        struct stat info {};
        if (::stat(Narrow(ManualPatch::JoinPath(folder, Wide(name))).c_str(), &info) != 0) continue;
        if (S_ISDIR(info.st_mode) == (type == EntryType::Folder)) names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

std::u16string EscapedForMask(const WideString& field) {
    std::u16string escaped;
    for (const char16_t c : field.Std()) {
        if (c == u'*' || c == u'?' || c == u'[' || c == u'\\') escaped += u'\\';
        escaped += c;
    }
    return escaped;
}

}  // namespace

WideString NextFolderMask(const WideString& prefix0, const WideString& prefix1, const WideString& to) {
    const std::u16string mask =
        EscapedForMask(prefix0) + u"_" + EscapedForMask(prefix1) + u"_" + EscapedForMask(to) + u"_*_.patch";
    return WideString(std::u16string_view(mask));
}

WideString ManualPatch::JoinPath(const WideString& folder, const WideString& name) {
    std::u16string joined = folder.Std();
    if (!joined.empty() && joined.back() != u'/') joined += u'/';
    joined += name.Std();
    return WideString(std::u16string_view(joined));
}

WideString ManualPatch::GetCaption() { return LoadResString(StringId::GameName); }

WideString ManualPatch::GetApplierName() { return LoadResString(StringId::PatchApplier); }

std::optional<int> ManualPatch::QueryApplierVersion(const WideString& folder) {
    // The path is one argument of its own, whatever blanks or quotes it holds.
    const std::string program = Narrow(JoinPath(folder, GetApplierName()));
    const pid_t pid = SpawnProcess({program, {program, "-version"}, ""});
    if (pid < 0) return std::nullopt;
    ProcessHandle child = ProcessHandle::Open(pid);
    if (!child.IsValid()) {
        // Nothing to wait on with a bound: it is ended and reaped at once.
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        return std::nullopt;
    }
    const WaitResult waited = child.WaitForExit(applierQueryMs_);
    if (waited == WaitResult::TimedOut) {
        child.Kill();
        child.WaitForExit(kApplierReapMs);
        return std::nullopt;
    }
    // A crash has no status to compare, and neither has a process that could not be reaped.
    const ExitStatus* ended = child.EndedStatus();
    if (waited != WaitResult::Exited || !ended || ended->bySignal) return std::nullopt;
    return ended->value;
}

namespace {

// The version that the signed version file at path names; "" for anything else. The
// folder is one the player chose on disk, so its path is read as it stands rather than
// as a name inside the game.
WideString SignedVersionIn(const WideString& path) {
    std::string bytes;
    if (Posix::ReadRegularFile(StrUtil::ToNarrow(path).CStr(), Posix::Links::Follow, Game::kMaxFolderListBytes, bytes) !=
        Posix::ReadOutcome::Whole)
        return WideString();
    ByteVector vector;
    vector.Append(bytes.data(), bytes.size());
    return Game::VersionTextOfBytes(Game::GameVersionFormat, vector);
}

}  // namespace

PatchFolderScan ManualPatch::ScanPatchFolder(const WideString& folder) {
    PatchFolderScan scan;
    bool named = false;
    for (const std::string& file : MatchingEntries(folder, WideString(u"*.patch"), EntryType::File)) {
        const WideString name = Wide(file);
        scan.entry.patchFiles.PushBack(JoinPath(folder, name));
        WideStringVector fields;
        StrUtil::SplitW(name, WideString(u"_"), fields);
        // A name without both versions says nothing of where the patch leads.
        if (fields.Size() < 5 || fields[2].IsEmpty() || fields[3].IsEmpty()) continue;
        scan.from = fields[2];
        scan.to = fields[3];
        scan.nextMask = NextFolderMask(fields[0], fields[1], fields[3]);
        named = true;
    }
    if (!named) return scan;
    scan.notAnnounced = CompareWithServerVersion(StrUtil::ToNarrow(scan.to)) > 0;
    scan.entry.gameVersionFile = JoinPath(folder, WideString(u"game.version"));
    scan.entry.version = scan.to;
    // The folder's version file becomes the game's once the patch is applied: only the
    // signed file of the version the patch leads to will do.
    if (SignedVersionIn(scan.entry.gameVersionFile) != scan.to) return scan;
    const std::optional<int> applierVersion = QueryApplierVersion(folder);
    scan.usable = applierVersion.has_value();
    scan.applierVersion = applierVersion.value_or(0);
    return scan;
}

bool ManualPatch::FindSubfolder(const WideString& parent, const WideString& mask, const std::set<std::u16string>& skip,
                                WideString& found) {
    for (const std::string& name : MatchingEntries(parent, mask, EntryType::Folder)) {
        const WideString wide = Wide(name);
        if (skip.count(wide.Std())) continue;
        found = JoinPath(parent, wide);
        return true;
    }
    return false;
}

std::optional<ManualPatch::Choice> ManualPatch::ChooseManualPatch(const WideString& installedVersion) {
    const WideString applier = GetApplierName();
    FileChoiceRequest request;
    request.title = Narrow(FormatResString(StringId::ManualPatchTitle, {installedVersion}));
    request.filterName = Narrow(FillPlaceholders(WideString(u"%s (%s)"), {LoadResString(StringId::ManualPatchFilter), applier}));
    request.fileName = Narrow(applier);
    const std::string caption = Narrow(GetCaption());
    std::string chosen;
    while (prompt_.ChooseFile(request, chosen)) {
        Choice choice;
        choice.folder = ParentFolder(Wide(chosen));
        choice.scan = ScanPatchFolder(choice.folder);
        const PatchFolderScan& scan = choice.scan;
        if (scan.notAnnounced) {
            prompt_.ShowMessage(Narrow(LoadResString(StringId::ManualPatchNotAnnounced)), caption);
        } else if (scan.usable && scan.from == installedVersion) {
            return choice;
        } else if (scan.usable) {
            prompt_.ShowMessage(Narrow(FormatResString(StringId::ManualPatchOtherVersion, {scan.from, installedVersion})),
                                caption);
        } else {
            prompt_.ShowMessage(Narrow(LoadResString(StringId::ManualPatchFilesMissing)), caption);
        }
    }
    return std::nullopt;
}

std::optional<ManualPatchChain> ManualPatch::Choose(const WideString& installedVersion) {
    std::optional<Choice> first = ChooseManualPatch(installedVersion);
    if (!first) return std::nullopt;
    ManualPatchChain chain;
    chain.applierPath = JoinPath(first->folder, GetApplierName());
    chain.entries.PushBack(first->scan.entry);

    // Each further folder must start where the chain has got to, be new to the walk, and
    // not lead back to a version the chain started from: so the walk always ends.
    std::vector<std::u16string> used {first->scan.from.Std()};
    std::set<std::u16string> visited {LastComponent(first->folder).Std()};
    WideString reached = first->scan.to;
    WideString mask = first->scan.nextMask;
    const WideString parent = ParentFolder(first->folder);
    WideString folder;
    while (!parent.IsEmpty() && FindSubfolder(parent, mask, visited, folder)) {
        visited.insert(LastComponent(folder).Std());
        const PatchFolderScan next = ScanPatchFolder(folder);
        if (!next.usable || next.notAnnounced || next.applierVersion != first->scan.applierVersion) break;
        if (next.from != reached || std::find(used.begin(), used.end(), next.to.Std()) != used.end()) break;
        used.push_back(next.from.Std());
        chain.entries.PushBack(next.entry);
        reached = next.to;
        mask = next.nextMask;
    }
    if (!prompt_.AskYesNo(Narrow(FormatResString(StringId::ManualPatchConfirm, {reached})), Narrow(GetCaption()))) {
        return std::nullopt;
    }
    return chain;
}
