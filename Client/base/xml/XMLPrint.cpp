// The text form of the document model, byte for byte: CRLF line ends, one tab per level.
#include "base/xml/XMLNodes.h"

namespace NLXML {
namespace {

constexpr char kLineEnd[] = "\r\n";

void PrintQuoted(CXMLOutput& out, const char* name, const String& value) {
    if (value.IsEmpty()) return;
    out.Write(name);
    out.Write("=\"");
    out.WriteEscaped(value);
    out.Write("\" ");
}

}  // namespace

void CXMLAttribute::Print(CXMLOutput& out) const {
    const bool single = value_.Find("\"") >= 0;
    out.Write(" ");
    out.WriteEscaped(name_);
    out.Write(single ? "='" : "=\"");
    out.WriteEscaped(value_);
    out.Write(single ? "'" : "\"");
}

void CXMLDocument::Print(CXMLOutput& out, const String& indentation) const {
    // Only the first element is the document's root: nothing after it is printed.
    for (CXMLNode* node : children_) {
        node->Print(out, indentation);
        out.Write(kLineEnd);
        if (node->GetType() == kElement) break;
    }
}

void CXMLDeclaration::Print(CXMLOutput& out, const String&) const {
    out.Write("<?xml ");
    PrintQuoted(out, "version", version);
    PrintQuoted(out, "encoding", encoding);
    PrintQuoted(out, "standalone", standalone);
    out.Write("?>");
}

void CXMLElement::Print(CXMLOutput& out, const String& indentation) const {
    out.Write("<");
    out.Write(value_);
    for (const CXMLAttribute* attribute : attributes_) attribute->Print(out);
    if (children_.Empty()) {
        if (text_.IsEmpty()) {
            out.Write(" />");
            return;
        }
        out.Write(">");
        out.WriteEscaped(text_);
    } else {
        const String inner = indentation + String("\t");
        out.Write(">");
        out.Write(kLineEnd);
        if (!text_.IsEmpty()) {
            out.Write(inner);
            out.WriteEscaped(text_);
            out.Write(kLineEnd);
        }
        for (const CXMLNode* child : children_) {
            out.Write(inner);
            child->Print(out, inner);
            out.Write(kLineEnd);
        }
        out.Write(indentation);
    }
    out.Write("</");
    out.Write(value_);
    out.Write(">");
}

void CXMLComment::Print(CXMLOutput& out, const String&) const {
    out.Write("<!--");
    out.WriteEscaped(value_);
    out.Write("-->");
}

void CXMLUnknown::Print(CXMLOutput& out, const String&) const {
    out.Write("<");
    out.Write(value_);
    out.Write(">");
}

void CXMLText::Print(CXMLOutput& out, const String&) const { out.WriteEscaped(value_); }

}  // namespace NLXML
