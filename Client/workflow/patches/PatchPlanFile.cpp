#include "workflow/patches/PatchPlanFile.h"

#include "base/io/Path.h"
#include "base/runtime/StrUtil.h"
#include "base/xml/ObjectRef.h"
#include "base/xml/XMLChunkSaver.h"
#include "base/xml/XmlExchange.h"
#include "platform/posix/FileMove.h"

namespace {

// A text that is not valid UTF-16 cannot be printed; such a plan is not written at all
// rather than with an empty field.
bool Printable(const WideString& text) {
    String utf8;
    return StrUtil::WideToUtf8(utf8, text);
}

bool Printable(const MultiPatch& plan) {
    for (const MultiPatchItem& item : plan.items) {
        if (!Printable(item.version) || !Printable(item.gameVersionFile)) return false;
        for (const WideString& file : item.patchFiles) {
            if (!Printable(file)) return false;
        }
    }
    return true;
}

}  // namespace

bool PrintPatchPlan(const MultiPatch& plan, String& bytes) {
    if (!Printable(plan)) return false;
    NLXML::CXMLStringSink sink;
    ObjectRef<CXMLChunkSaver> saver(CXMLChunkSaver::OpenWriting(&sink, String()));
    if (!saver) return false;
    saver->EscapeEveryAmpersand();
    {
        String format("multi");
        XmlChildScope child(*saver, "format");
        saver->Value(format);
    }
    {
        // The exchange writes through a mutable record; the plan itself stays as it is.
        Vector<MultiPatchItem> items(plan.items);
        XmlChildScope patches(*saver, "patches");
        XmlArray(*saver, "patches", items);
    }
    if (!saver->Close()) return false;
    bytes = sink.Text();
    return true;
}

bool WritePatchPlan(const MultiPatch& plan, const WideString& path) {
    String bytes;
    if (path.IsEmpty() || !PrintPatchPlan(plan, bytes)) return false;
    const String target = StrUtil::ToNarrow(path);
    Path::CreateFolders(Path::ParentPath(target));
    return ReplaceFileWithBytes(target.Std(), bytes.CStr(), bytes.Length(), 0644) == 0;
}
