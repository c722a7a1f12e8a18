#pragma once
// A small, forgiving one-pass reader: it copies the text once and keeps names,
// values and texts as slices of that copy. It understands elements, double-quoted
// attributes, text, comments and a leading declaration. Entities are decoded only
// when a value is taken (DecodeEntities). Nesting is capped and every step stops at
// the end of the text, so hostile input cannot overrun the copy or the stack.
#include <cstddef>
#include <cstring>
#include <string_view>

#include "base/runtime/ObjectBase.h"
#include "base/runtime/String.h"
#include "base/runtime/Vector.h"

namespace NXml {

// A slice of the reader's copy.
struct CXmlSlice {
    const char* data = nullptr;
    std::size_t length = 0;

    std::string_view View() const { return {data ? data : "", length}; }
    bool Equals(const char* text) const { return View() == std::string_view(text); }
    bool IsEmpty() const { return length == 0; }
    String ToString() const { return String(View()); }
};

struct CXmlAttr {
    CXmlSlice name;
    CXmlSlice value;  // raw: entities not decoded
};

class CXmlReader;

class CXmlNode {
public:
    // Cyclic searches by exact name, each from where the previous search of this node
    // stopped: repeated lookups of one name return its elements one after the other.
    CXmlNode* FindChild(const char* name);
    CXmlAttr* FindAttr(const char* name);

    const CXmlSlice& Name() const { return name_; }
    const CXmlSlice& Text() const { return text_; }
    const Vector<CXmlAttr*>& Attributes() const { return attributes_; }
    const Vector<CXmlNode*>& Children() const { return children_; }
    const CXmlAttr* Href() const { return href_; }
    const CXmlAttr* Data() const { return data_; }

private:
    friend class CXmlReader;

    void Reset();
    // Parses an element from just after its '<'; returns where parsing goes on.
    const char* Parse(const char* p, CXmlReader& reader, int depth);
    const char* ParseAttributes(const char* p, CXmlReader& reader);
    const char* ParseContent(const char* p, CXmlReader& reader, int depth);

    Vector<CXmlAttr*> attributes_;
    Vector<CXmlNode*> children_;
    CXmlSlice name_;
    CXmlSlice text_;
    CXmlAttr* href_ = nullptr;
    CXmlAttr* data_ = nullptr;
    int childSearch_ = 0;
    int attrSearch_ = 0;
};

class CXmlReader final : public CObjectBase {
public:
    // Builds the tree from [text, end); a null or empty text gives an empty root.
    CXmlReader(const char* text, const char* end);
    ~CXmlReader() override;

    CXmlNode& Root() { return root_; }

    void Clear() override;
    std::size_t GetSize() const override;

private:
    friend class CXmlNode;
    static constexpr std::size_t kBlockSize = 32;
    struct NodeBlock {
        CXmlNode items[kBlockSize];
    };
    struct AttrBlock {
        CXmlAttr items[kBlockSize];
    };

    void Build(const char* text, const char* end);
    void FreeAll();
    CXmlNode* NewNode();
    CXmlAttr* NewAttr();

    char* copy_ = nullptr;
    std::size_t copyLength_ = 0;
    const char* end_ = nullptr;  // the first NUL of the copy
    CXmlNode root_;
    Vector<NodeBlock*> nodeBlocks_;
    Vector<AttrBlock*> attrBlocks_;
    std::size_t nodesUsed_ = kBlockSize;  // in the last block
    std::size_t attrsUsed_ = kBlockSize;
};

// Decodes &#xHH; and &amp; &lt; &gt; &quot; &apos; in place.
void DecodeEntities(String& text);

}  // namespace NXml
