#include "base/xml/XMLOutput.h"

#include <cstring>

#include "base/xml/XmlText.h"

namespace NLXML {

void CXMLOutput::Write(const char* data, std::size_t length) {
    pending_.Append(data, data + length);
    if (pending_.Length() > kFlushThreshold) Flush();
}

void CXMLOutput::Write(const char* text) { Write(text, std::strlen(text)); }

void CXMLOutput::WriteEscaped(const String& text) {
    const char* p = text.begin();
    const char* end = text.end();
    const char* run = p;
    while (p < end) {
        const char* escape = nullptr;
        switch (*p) {
            case '"': escape = "&quot;"; break;
            case '\'': escape = "&apos;"; break;
            case '<': escape = "&lt;"; break;
            case '>': escape = "&gt;"; break;
            case '&': {
                std::size_t length = 0;
                if (keepHexReferences_ && XmlText::IsHexReference(p, end, &length)) {
                    p += length;
                    continue;
                }
                escape = "&amp;";
                break;
            }
            default: break;
        }
        if (!escape) {
            ++p;
            continue;
        }
        Write(run, static_cast<std::size_t>(p - run));
        Write(escape);
        run = ++p;
    }
    Write(run, static_cast<std::size_t>(end - run));
}

bool CXMLOutput::Flush() {
    if (!pending_.IsEmpty() && !failed_) failed_ = !sink_.Write(pending_.CStr(), pending_.Length());
    pending_.Resize(0);
    return !failed_;
}

}  // namespace NLXML
