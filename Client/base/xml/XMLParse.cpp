// Parsing text into the document model. Every step is bounded by the end of the text.
#include <cstring>

#include "base/runtime/StrUtil.h"
#include "base/xml/XMLNodes.h"
#include "base/xml/XmlText.h"

namespace NLXML {
namespace {

using XmlText::SkipBlanks;

bool StartsWith(const char* p, const char* end, const char* prefix) {
    const std::size_t length = std::strlen(prefix);
    return static_cast<std::size_t>(end - p) >= length && std::memcmp(p, prefix, length) == 0;
}

bool StartsWithNoCase(const char* p, const char* end, const char* prefix) {
    const std::size_t length = std::strlen(prefix);
    if (static_cast<std::size_t>(end - p) < length) return false;
    return StrUtil::EqualsIgnoringCase(std::string_view(p, length), prefix);
}

bool IsNameStart(char c) { return XmlText::IsLetter(c) || c == '_'; }
bool IsNameChar(char c) {
    return XmlText::IsLetter(c) || XmlText::IsDigit(c) || c == '-' || c == '.' || c == ':' || c == '_';
}

// The position of terminator at or after p, or end.
const char* FindText(const char* p, const char* end, const char* terminator) {
    const std::size_t length = std::strlen(terminator);
    while (p < end && static_cast<std::size_t>(end - p) >= length) {
        const void* first = std::memchr(p, terminator[0], static_cast<std::size_t>(end - p) - (length - 1));
        if (!first) break;
        p = static_cast<const char*>(first);
        if (std::memcmp(p, terminator, length) == 0) return p;
        ++p;
    }
    return end;
}

}  // namespace

const char* ReadName(const char* text, const char* end, String& name) {
    if (text >= end || !IsNameStart(*text)) return nullptr;
    const char* p = text + 1;
    while (p < end && IsNameChar(*p)) ++p;
    name.Assign(text, p);
    return p;
}

const char* CXMLAttribute::Parse(const char* text, const char* end) {
    const char* p = ReadName(SkipBlanks(text, end), end, name_);
    if (!p) return nullptr;
    p = SkipBlanks(p, end);
    if (p >= end || *p != '=') return nullptr;
    p = SkipBlanks(p + 1, end);
    if (p >= end) return nullptr;
    value_.Resize(0);
    if (*p == '"' || *p == '\'') {
        const char quote[2] = {*p, 0};
        const char* close = FindText(p + 1, end, quote);
        XmlText::AppendDecoded(value_, p + 1, close);
        return close < end ? close + 1 : end;
    }
    const char* first = p;
    while (p < end && !XmlText::IsBlank(*p) && *p != '/' && *p != '>') ++p;
    value_.Assign(first, p);
    return p;
}

CXMLNode* CXMLMultiNode::CreateNode(const char* text, const char* end) const {
    const char* p = SkipBlanks(text, end);
    if (p >= end || *p != '<') return nullptr;
    const std::size_t remaining = static_cast<std::size_t>(end - p);
    if (remaining > 6 && StartsWith(p, end, "<?xml")) return new CXMLDeclaration();
    if (remaining > 1 && IsNameStart(p[1])) {
        auto* element = new CXMLElement();
        element->depth_ = depth_ + 1;
        return element;
    }
    if (remaining > 6 && StartsWith(p, end, "<!--")) return new CXMLComment();
    return new CXMLUnknown();
}

const char* CXMLMultiNode::ParseChildren(const char* text, const char* end, String& textOut) {
    if (depth_ >= XmlText::kMaxDepth) return nullptr;
    const char* p = SkipBlanks(text, end);
    while (p < end) {
        if (StartsWith(p, end, "</")) return p;
        if (*p == '<') {
            CXMLNode* child = CreateNode(p, end);
            const char* next = child->Parse(p, end);
            AppendChild(child);
            if (!next) return nullptr;
            p = next;
        } else {
            const char* close = FindText(p, end, "<");
            // Text nodes are not kept: the last non-blank run is the element's text.
            if (!std::memchr(p, '&', static_cast<std::size_t>(close - p))) {
                textOut.Assign(p, close);  // p is past the blanks, so the run is not blank
            } else {
                String run;
                XmlText::AppendDecoded(run, p, close);
                for (char c : run) {
                    if (!XmlText::IsBlank(c)) {
                        textOut = run;
                        break;
                    }
                }
            }
            p = close;
        }
        p = SkipBlanks(p, end);
    }
    return nullptr;
}

const char* CXMLDocument::Parse(const char* text, const char* end) {
    const char* p = SkipBlanks(text, end);
    while (p < end) {
        CXMLNode* node = CreateNode(p, end);
        if (!node) break;
        const char* next = node->Parse(p, end);
        AppendChild(node);
        if (!next) return nullptr;
        p = SkipBlanks(next, end);
    }
    return p;
}

const char* CXMLDeclaration::Parse(const char* text, const char* end) {
    const char* p = text + 5;  // "<?xml"
    while (p < end) {
        if (*p == '>') return p + 1;
        if (XmlText::IsBlank(*p)) {
            ++p;
            continue;
        }
        String* field = StartsWithNoCase(p, end, "version")      ? &version
                        : StartsWithNoCase(p, end, "encoding")   ? &encoding
                        : StartsWithNoCase(p, end, "standalone") ? &standalone
                                                                 : nullptr;
        if (field) {
            CXMLAttribute attribute;
            p = attribute.Parse(p, end);
            if (!p) return nullptr;
            *field = attribute.Value();
            continue;
        }
        while (p < end && !XmlText::IsBlank(*p) && *p != '>') ++p;
    }
    return nullptr;
}

const char* CXMLElement::Parse(const char* text, const char* end) {
    const char* p = ReadName(SkipBlanks(text + 1, end), end, value_);
    if (!p) return nullptr;
    for (;;) {
        p = SkipBlanks(p, end);
        if (p >= end) return nullptr;
        if (StartsWith(p, end, "/>")) return p + 2;
        if (*p == '>') {
            p = ParseChildren(p + 1, end, text_);
            if (!p) return nullptr;
            p += 2;  // "</"
            if (static_cast<std::size_t>(end - p) <= value_.Length() ||
                std::memcmp(p, value_.CStr(), value_.Length()) != 0 || p[value_.Length()] != '>') {
                return nullptr;
            }
            return p + value_.Length() + 1;
        }
        CXMLAttribute attribute;
        p = attribute.Parse(p, end);
        if (!p) return nullptr;
        SetAttribute(attribute.Name(), attribute.Value());
    }
}

const char* CXMLComment::Parse(const char* text, const char* end) {
    const char* first = text + 4;  // "<!--"
    const char* close = FindText(first, end, "-->");
    value_.Resize(0);
    XmlText::AppendDecoded(value_, first, close);
    return close < end ? close + 3 : end;
}

const char* CXMLUnknown::Parse(const char* text, const char* end) {
    const char* first = text + 1;
    const char* close = FindText(first, end, ">");
    value_.Assign(first, close);
    return close < end ? close + 1 : end;
}

const char* CXMLText::Parse(const char* text, const char* end) {
    const char* close = FindText(text, end, "<");
    value_.Resize(0);
    XmlText::AppendDecoded(value_, text, close);
    return close;
}

}  // namespace NLXML
