#include "workflow/patches/MultiPatch.h"

#include <cstring>
#include <string>

#include "base/runtime/StrUtil.h"
#include "base/xml/ObjectRef.h"
#include "base/xml/XMLChunkSaver.h"
#include "base/xml/XmlExchange.h"
#include "platform/posix/RegularFile.h"

namespace {

// Paths of a plan are kept in the generic form.
WideString Generic(const WideString& path) {
    WideString generic = path;
    for (std::size_t i = 0; i < generic.Length(); ++i) {
        if (generic[i] == u'\\') generic[i] = u'/';
    }
    return generic;
}

// The text of the child element name; reading, an absent or unreadable one is "".
void ExchangeText(IXmlSaver& saver, const char* name, WideString& text) {
    if (!saver.IsReading()) {
        XmlWideText(saver, name, text);
        return;
    }
    WideString read;
    XmlWideText(saver, name, read);
    text = Generic(read);
}

void ReadPatchFiles(IXmlSaver& saver, WideStringVector& files) {
    files.Clear();
    WideString single;
    ExchangeText(saver, "patchFile", single);
    if (!single.IsEmpty()) {
        files.PushBack(single);
        return;
    }
    XmlChildScope list(saver, "patchFiles");
    if (!list) return;
    const int count = saver.ChildCount();
    for (int i = 1; i <= count; ++i) {
        WideString file;
        XmlChildScope item(saver, "Item", i);
        if (item) saver.ValueWide(file);
        files.PushBack(Generic(file));
    }
}

void WritePatchFiles(IXmlSaver& saver, WideStringVector& files) {
    if (files.Size() == 1) {
        ExchangeText(saver, "patchFile", files[0]);
        return;
    }
    if (files.Empty()) {
        WideString none;
        ExchangeText(saver, "patchFile", none);
    }
    XmlChildScope list(saver, "patchFiles");
    for (std::size_t i = 0; i < files.Size(); ++i) {
        XmlChildScope item(saver, "Item", static_cast<int>(i + 1));
        saver.ValueWide(files[i]);
    }
}

// The component after the last '/'; '\' does not separate in the text form's test.
std::string_view LastComponent(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool IsVersionFileName(std::string_view name) {
    return StrUtil::EqualsIgnoringCase(name, "game.version");
}

WideString WideOf(std::string_view bytes) { return StrUtil::ToWide(String(bytes)); }

}  // namespace

void MultiPatchItem::Exchange(IXmlSaver& saver) {
    ExchangeText(saver, "version", version);
    ExchangeText(saver, "gameVersionFile", gameVersionFile);
    if (saver.IsReading()) {
        ReadPatchFiles(saver, patchFiles);
    } else {
        WritePatchFiles(saver, patchFiles);
    }
}

RefPtr<MultiPatch> MultiPatch::Load(const WideString& path) {
    std::string bytes;
    // The whole regular file or nothing: no FIFO, device, folder or link, nothing over the cap.
    if (path.IsEmpty() ||
        Posix::ReadRegularFile(StrUtil::ToNarrow(path).CStr(), Posix::Links::Refuse, kMaxFileBytes, bytes) !=
            Posix::ReadOutcome::Whole ||
        bytes.empty())
        return nullptr;
    if (bytes.size() >= 2 && bytes[0] == ' ' && bytes[1] == ' ') return ReadTextForm(bytes.data(), bytes.size());
    return ReadXmlForm(bytes.data(), bytes.size());
}

RefPtr<MultiPatch> MultiPatch::ReadTextForm(const char* data, std::size_t length) {
    if (!data || length < 2 || data[0] != ' ' || data[1] != ' ') return nullptr;
    std::string_view text(data + 2, length - 2);
    text = text.substr(0, text.find('\0'));
    MultiPatchItem item;
    std::size_t at = 0;
    while (true) {
        const std::size_t open = text.find('"', at);
        if (open == std::string_view::npos || open + 1 >= text.size()) break;
        const std::size_t close = text.find('"', open + 1);
        if (close == std::string_view::npos) break;
        const std::string_view path = text.substr(open + 1, close - open - 1);
        const std::string_view last = LastComponent(path);
        if (IsVersionFileName(last)) {
            item.gameVersionFile = Generic(WideOf(path));
        } else {
            item.patchFiles.PushBack(Generic(WideOf(path)));
            item.version = WideOf(last);
        }
        at = close + 1;
    }
    RefPtr<MultiPatch> plan(new MultiPatch());
    plan->items.PushBack(std::move(item));
    return plan;
}

RefPtr<MultiPatch> MultiPatch::ReadXmlForm(const char* data, std::size_t length) {
    ObjectRef<CXMLChunkSaver> saver(CXMLChunkSaver::OpenReading(data, length, String()));
    if (!saver) return nullptr;
    String format;
    {
        XmlChildScope child(*saver, "format");
        if (child) saver->Value(format);
    }
    if (!format.Equals("multi")) return nullptr;
    RefPtr<MultiPatch> plan(new MultiPatch());
    {
        XmlChildScope patches(*saver, "patches");
        if (patches) {
            if (static_cast<std::size_t>(saver->ChildCount()) > kMaxEntries) return nullptr;
            XmlArray(*saver, "patches", plan->items);
        }
    }
    if (plan->items.Empty()) return nullptr;
    return plan;
}
