#pragma once
// The XML document model: a tree of nodes that a program builds in memory and prints
// as text (CRLF line ends, tab indents). It can also parse text into such a tree.
// Texts, names and values are bytes; the system keeps UTF-8 in them.
#include <memory>

#include "base/runtime/HashMap.h"
#include "base/runtime/String.h"
#include "base/runtime/Vector.h"
#include "base/xml/XMLOutput.h"

namespace NLXML {

class CXMLBase {
public:
    CXMLBase() = default;
    CXMLBase(const CXMLBase&) = delete;
    CXMLBase& operator=(const CXMLBase&) = delete;
    virtual ~CXMLBase() = default;
};

class CXMLAttribute : public CXMLBase {
public:
    CXMLAttribute() = default;
    CXMLAttribute(const String& name, const String& value) : name_(name), value_(value) {}

    // Reads name = value (quoted with entities decoded, or unquoted raw); null on failure.
    const char* Parse(const char* text, const char* end);
    void Print(CXMLOutput& out) const;

    const String& Name() const { return name_; }
    const String& Value() const { return value_; }
    void SetValue(const String& value) { value_ = value; }

private:
    String name_;
    String value_;
};

class CXMLNode : public CXMLBase {
public:
    enum Type { kDocument = 0, kDeclaration = 1, kComment = 2, kUnknown = 3, kElement = 4, kText = 5 };

    // Parses the node at text; the position after it, or null when it is malformed.
    virtual const char* Parse(const char* text, const char* end) = 0;
    virtual void Print(CXMLOutput& out, const String& indentation) const = 0;

    int GetType() const { return type_; }
    const String& Value() const { return value_; }
    void SetValue(const String& value) { value_ = value; }

protected:
    explicit CXMLNode(int type) : type_(type) {}

    int type_;
    String value_;
};

class CXMLMultiNode : public CXMLNode {
public:
    ~CXMLMultiNode() override;

    // Takes ownership of child.
    void AppendChild(CXMLNode* child);
    std::size_t ChildCount() const { return children_.Size(); }
    CXMLNode* ChildAt(std::size_t index) const { return children_[index]; }
    // Enumeration: each call returns the next child, null after the last; adding a
    // child starts it over.
    CXMLNode* NextChild() { return cursor_ < children_.Size() ? children_[cursor_++] : nullptr; }

    // The node that the markup at text starts, not yet parsed; null when text does not start with '<'.
    CXMLNode* CreateNode(const char* text, const char* end) const;

protected:
    explicit CXMLMultiNode(int type) : CXMLNode(type) {}

    // Parses child nodes up to "</"; its position, or null when the text ends first or nests too deep.
    const char* ParseChildren(const char* text, const char* end, String& textOut);

    Vector<CXMLNode*> children_;
    std::size_t cursor_ = 0;
    int depth_ = 0;  // of this node below the document
};

class CXMLDocument : public CXMLMultiNode {
public:
    CXMLDocument() : CXMLMultiNode(kDocument) {}
    const char* Parse(const char* text, const char* end) override;
    void Print(CXMLOutput& out, const String& indentation) const override;
};

class CXMLDeclaration : public CXMLNode {
public:
    CXMLDeclaration() : CXMLNode(kDeclaration) {}
    const char* Parse(const char* text, const char* end) override;
    void Print(CXMLOutput& out, const String& indentation) const override;

    String version = "1.0";
    String encoding = "UTF-8";
    String standalone;
};

class CXMLComment : public CXMLNode {
public:
    CXMLComment() : CXMLNode(kComment) {}
    const char* Parse(const char* text, const char* end) override;
    void Print(CXMLOutput& out, const String& indentation) const override;
};

class CXMLUnknown : public CXMLNode {
public:
    CXMLUnknown() : CXMLNode(kUnknown) {}
    const char* Parse(const char* text, const char* end) override;
    void Print(CXMLOutput& out, const String& indentation) const override;
};

class CXMLText : public CXMLNode {
public:
    CXMLText() : CXMLNode(kText) {}
    const char* Parse(const char* text, const char* end) override;
    void Print(CXMLOutput& out, const String& indentation) const override;
};

class CXMLElement : public CXMLMultiNode {
public:
    CXMLElement() : CXMLMultiNode(kElement) {}
    explicit CXMLElement(const String& name) : CXMLMultiNode(kElement) { value_ = name; }
    ~CXMLElement() override;

    const char* Parse(const char* text, const char* end) override;
    void Print(CXMLOutput& out, const String& indentation) const override;

    const String& Name() const { return value_; }
    const String& Text() const { return text_; }
    void SetText(const String& text) { text_ = text; }

    // Replaces the value of an attribute of that name in place, else appends one.
    void SetAttribute(const String& name, const String& value);
    const CXMLAttribute* FindAttribute(const String& name) const;
    std::size_t AttributeCount() const { return attributes_.Size(); }
    const CXMLAttribute* AttributeAt(std::size_t index) const { return attributes_[index]; }

private:
    Vector<CXMLAttribute*> attributes_;
    // Made with the first attribute: most elements have none.
    std::unique_ptr<HashMap<String, CXMLAttribute*>> byName_;
    String text_;
};

// A name: a letter or '_', then letters, digits, '-', '.', ':' or '_'. The position
// after it, or null when there is none.
const char* ReadName(const char* text, const char* end, String& name);

}  // namespace NLXML
