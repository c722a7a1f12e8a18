#include "workflow/patches/PatchPlanFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "base/io/Path.h"
#include "base/runtime/StrUtil.h"
#include "base/xml/ObjectRef.h"
#include "base/xml/XMLChunkSaver.h"
#include "base/xml/XmlExchange.h"
#include "platform/posix/FileMapping.h"

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
    const String temporary = target + String(".tmp");
    Path::CreateFolders(Path::ParentPath(target));
    // A leftover of an earlier failed write, or anything else by that name, goes first;
    // O_EXCL then makes sure the bytes land in a file of our own.
    ::unlink(temporary.CStr());
    const int fd = ::open(temporary.CStr(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) return false;
    bool ok = Posix::WriteAll(fd, bytes.CStr(), bytes.Length());
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(temporary.CStr(), target.CStr()) == 0;
    if (!ok) ::unlink(temporary.CStr());
    return ok;
}
