#pragma once
// The patch plan: the patches the applier "VaraRurezod.exe" is to apply, one entry per
// version they lead to, in the order they apply. The patch download and the manual
// patch build it, the patch apply writes it as "patching.cmd" for the applier, and the
// initial check reads a plan left in the patches folder back.
#include "base/runtime/RefCounter.h"
#include "base/runtime/String.h"
#include "base/runtime/Vector.h"

class IXmlSaver;

struct MultiPatchItem {
    WideString version;          // the version this entry's patches bring the game to
    WideString gameVersionFile;  // that version's "game.version", for the applier to install
    WideStringVector patchFiles;

    // One exchange for both directions: one patch file is written as "patchFile", two
    // or more as "patchFiles" with an "Item" each, none as both, empty. Reading, a
    // non-empty "patchFile" wins, and every '\' becomes '/'.
    void Exchange(IXmlSaver& saver);
};

class MultiPatch : public RefCounter {
public:
    // Plans are tiny: a file bigger than this, or with more entries, is not a plan.
    static constexpr std::size_t kMaxFileBytes = 16u << 20;
    static constexpr std::size_t kMaxEntries = 65536;

    // The plan in the file at path, in the XML form or, when the file starts with two
    // blanks, in the text form; null when there is none. Only a regular file is read
    // (a FIFO, a folder or a link is no plan), without ever waiting on it.
    static RefPtr<MultiPatch> Load(const WideString& path);

    // The text form: the two leading blanks, then quoted paths up to the end or the
    // first NUL, which make one entry. Null without the two blanks.
    static RefPtr<MultiPatch> ReadTextForm(const char* data, std::size_t length);
    // The XML form; null unless "format" is "multi" and "patches" holds an entry.
    static RefPtr<MultiPatch> ReadXmlForm(const char* data, std::size_t length);

    Vector<MultiPatchItem> items;

protected:
    ~MultiPatch() override = default;
};

// A plan with the applier that came with its patches (not part of the plan's file).
class CumulativePatch final : public MultiPatch {
public:
    WideString applierPath;

private:
    ~CumulativePatch() override = default;
};
