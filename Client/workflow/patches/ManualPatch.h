#pragma once
// The manual patch: patches that already lie on disk instead of downloaded ones. The
// player chooses the patch applier inside a patch folder; the folder's patch must lead
// from the installed version to an announced one. Sibling folders that continue the
// chain are followed, and after the player confirms, the chain is handed back as the
// entries of a patch plan. Everything runs on the UI thread inside the command, with
// modal dialogs; only the applier's version query starts a process, bounded in time.
//
// A patch folder holds the applier "VaraRurezod.exe", the target version's file
// "game.version" and one or more "*.patch" files. A patch's name is split on '_' (empty
// fields count): with at least five fields, fields 0 and 1 are a prefix, field 2 the
// version it applies to, field 3 the version it makes. A folder that follows another is
// named like the patch inside it, so the next folder's mask is "P0_P1_TO_*_.patch".
#include <optional>
#include <set>
#include <string>

#include "base/runtime/String.h"
#include "base/runtime/Vector.h"
#include "platform/ui/UserPrompt.h"

// One link of the chain: the fields of a patch plan's entry.
struct ManualPatchEntry {
    WideString version;          // the version the entry's patches make
    WideString gameVersionFile;  // that version's "game.version", in the patch folder
    WideStringVector patchFiles;
};

struct ManualPatchChain {
    WideString applierPath;  // the applier of the chosen (first) folder
    Vector<ManualPatchEntry> entries;  // in the order they apply
};

// What a patch folder holds, read by ScanPatchFolder.
struct PatchFolderScan {
    bool usable = false;        // a patch name, its signed version file and an applier that answered
    bool notAnnounced = false;  // it makes a version newer than the server's current one
    WideString from, to;
    int applierVersion = 0;  // the applier's exit status of its "-version" query
    WideString nextMask;     // the name of the folder that would continue the chain
    ManualPatchEntry entry;
};

class ManualPatch {
public:
    // A hung applier is ended after this long, and its folder counts as unusable.
    static constexpr int kApplierQueryMs = 60000;
    // How long an ended applier is given to be reaped.
    static constexpr int kApplierReapMs = 5000;

    explicit ManualPatch(IUserPrompt& prompt, int applierQueryMs = kApplierQueryMs)
        : prompt_(prompt), applierQueryMs_(applierQueryMs) {}

    // The whole dialogue of command 3001: the chosen folder, the chain of sibling folders
    // after it and the player's confirmation. Nothing when the player cancels the file
    // dialog or answers no. installedVersion is the installed version text ("" without one).
    std::optional<ManualPatchChain> Choose(const WideString& installedVersion);

    struct Choice {
        WideString folder;
        PatchFolderScan scan;
    };
    // Asks for an applier until its folder's patch starts at the installed version and
    // makes an announced one, telling the player why a folder is refused; nothing when the
    // dialog is cancelled.
    std::optional<Choice> ChooseManualPatch(const WideString& installedVersion);

    PatchFolderScan ScanPatchFolder(const WideString& folder);
    // The first folder in parent (by name) that matches the mask and is not in skip.
    static bool FindSubfolder(const WideString& parent, const WideString& mask, const std::set<std::u16string>& skip,
                              WideString& found);
    // The exit status of "FOLDER/VaraRurezod.exe -version"; nothing when it cannot be
    // started, is ended by a signal, or runs past the bound (it is then killed).
    std::optional<int> QueryApplierVersion(const WideString& folder);

    // folder + '/' + name, the '/' left out when the folder is empty or ends in one. On
    // Linux '\' and ':' are characters of names like any other.
    static WideString JoinPath(const WideString& folder, const WideString& name);
    static WideString GetCaption();
    static WideString GetApplierName();

private:
    IUserPrompt& prompt_;
    int applierQueryMs_;
};

// The mask text of the folder after a patch of that prefix and to-version: the fields
// are escaped so that '*', '?', '[' and '\' in them match only themselves.
WideString NextFolderMask(const WideString& prefix0, const WideString& prefix1, const WideString& to);
