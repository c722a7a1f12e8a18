#include "base/xml/XmlReader.h"

#include <new>

#include "base/xml/XmlText.h"

namespace NXml {
namespace {

using XmlText::IsBlank;

const char* SkipBlanks(const char* p, const char* end) { return XmlText::SkipBlanks(p, end); }

const char* FindChar(const char* p, const char* end, char c) {
    const void* found = p < end ? std::memchr(p, c, static_cast<std::size_t>(end - p)) : nullptr;
    return found ? static_cast<const char*>(found) : end;
}

// Past the next "-->" and the blanks after it; the end when the comment never closes.
const char* SkipComment(const char* p, const char* end) {
    for (; p < end; ++p) {
        p = FindChar(p, end, '-');
        if (end - p >= 3 && p[1] == '-' && p[2] == '>') return SkipBlanks(p + 3, end);
    }
    return end;
}

// At an element's start: comments ("!...-->") are passed over together with the '<' that follows each.
const char* SkipComments(const char* p, const char* end) {
    while (p < end && *p == '!') {
        p = SkipComment(p, end);
        if (p < end) ++p;
    }
    return p;
}

const char* NameEnd(const char* p, const char* end) {
    while (p < end && !IsBlank(*p) && *p != '/' && *p != '<' && *p != '=' && *p != '>') ++p;
    return p;
}

CXmlSlice Slice(const char* first, const char* last) { return {first, static_cast<std::size_t>(last - first)}; }

template <class T>
T* FindCyclic(const Vector<T*>& items, int& position, const char* name, const CXmlSlice T::* field) {
    const std::size_t count = items.Size();
    if (count == 0) return nullptr;
    const std::size_t start = static_cast<std::size_t>(position) % count;
    for (std::size_t n = 0; n < count; ++n) {
        const std::size_t k = (start + n) % count;
        if ((items[k]->*field).Equals(name)) {
            position = static_cast<int>(k + 1);
            return items[k];
        }
    }
    position = static_cast<int>(start + 1);
    return nullptr;
}

}  // namespace

CXmlNode* CXmlNode::FindChild(const char* name) { return FindCyclic(children_, childSearch_, name, &CXmlNode::name_); }

CXmlAttr* CXmlNode::FindAttr(const char* name) { return FindCyclic(attributes_, attrSearch_, name, &CXmlAttr::name); }

void CXmlNode::Reset() {
    attributes_.Clear();
    children_.Clear();
    name_ = {};
    text_ = {};
    href_ = data_ = nullptr;
    childSearch_ = attrSearch_ = 0;
}

const char* CXmlNode::Parse(const char* p, CXmlReader& reader, int depth) {
    const char* end = reader.end_;
    Reset();
    p = SkipBlanks(SkipComments(p, end), end);
    if (p >= end) return p;
    const char* nameEnd = NameEnd(p, end);
    name_ = Slice(p, nameEnd);
    p = SkipBlanks(nameEnd, end);
    if (p < end && *p != '>' && *p != '/') p = ParseAttributes(p, reader);
    if (p >= end) return p;
    if (*p == '>') return ParseContent(p + 1, reader, depth);
    if (*p == '/') return p + 1 < end ? p + 2 : end;  // past "/>", never past the end
    return p;  // anything else ends the element without content
}

const char* CXmlNode::ParseAttributes(const char* p, CXmlReader& reader) {
    const char* end = reader.end_;
    for (;;) {
        p = SkipBlanks(p, end);
        if (p >= end || *p == '/' || *p == '>') return p;
        const char* nameEnd = NameEnd(p, end);
        const CXmlSlice name = Slice(p, nameEnd);
        p = SkipBlanks(nameEnd, end);
        if (p >= end || *p != '=') return p;
        p = SkipBlanks(p + 1, end);
        if (p >= end || *p != '"') return p;
        const char* close = FindChar(p + 1, end, '"');
        CXmlAttr* attr = reader.NewAttr();
        attr->name = name;
        attr->value = Slice(p + 1, close);
        if (name.Equals("href")) href_ = attr;
        if (name.Equals("data")) data_ = attr;
        attributes_.PushBack(attr);
        p = close < end ? close + 1 : end;
    }
}

const char* CXmlNode::ParseContent(const char* p, CXmlReader& reader, int depth) {
    const char* end = reader.end_;
    for (;;) {
        p = SkipBlanks(p, end);
        if (p >= end) return p;
        if (*p != '<') {
            const char* close = FindChar(p, end, '<');
            text_ = Slice(p, close);  // the last run wins; its trailing blanks stay
            p = close;
            continue;
        }
        if (p + 1 < end && p[1] == '/') return FindChar(p, end, '>') < end ? FindChar(p, end, '>') + 1 : end;
        if (p + 1 < end && p[1] == '!') {
            p = SkipComment(p + 1, end);
            continue;
        }
        // Too deep: the rest of the text is not read.
        if (depth + 1 >= XmlText::kMaxDepth) return end;
        CXmlNode* child = reader.NewNode();
        children_.PushBack(child);
        p = child->Parse(p + 1, reader, depth + 1);
    }
}

CXmlReader::CXmlReader(const char* text, const char* end) { Build(text, end); }

CXmlReader::~CXmlReader() { FreeAll(); }

void CXmlReader::Build(const char* text, const char* end) {
    copyLength_ = text && end > text ? static_cast<std::size_t>(end - text) : 0;
    copy_ = new char[copyLength_ + 1];
    if (copyLength_) std::memcpy(copy_, text, copyLength_);
    copy_[copyLength_] = '\0';
    // The text ends at its first NUL, as the copy's terminator would end it.
    end_ = copy_ + std::strlen(copy_);

    const char* p = FindChar(copy_, end_, '<');
    if (p >= end_) return;
    ++p;
    if (p < end_ && *p == '?') {
        p = FindChar(p, end_, '<');
        if (p >= end_) return;
        ++p;
    }
    root_.Parse(p, *this, 0);
}

void CXmlReader::FreeAll() {
    root_.Reset();
    for (NodeBlock* block : nodeBlocks_) delete block;
    for (AttrBlock* block : attrBlocks_) delete block;
    nodeBlocks_.Clear();
    attrBlocks_.Clear();
    nodesUsed_ = attrsUsed_ = kBlockSize;
    delete[] copy_;
    copy_ = nullptr;
    copyLength_ = 0;
    end_ = nullptr;
}

void CXmlReader::Clear() {
    FreeAll();
    Build(nullptr, nullptr);
}

std::size_t CXmlReader::GetSize() const {
    return sizeof(*this) + copyLength_ + 1 + nodeBlocks_.Size() * sizeof(NodeBlock) +
           attrBlocks_.Size() * sizeof(AttrBlock);
}

CXmlNode* CXmlReader::NewNode() {
    if (nodesUsed_ == kBlockSize) {
        nodeBlocks_.PushBack(new NodeBlock());
        nodesUsed_ = 0;
    }
    return &nodeBlocks_.Back()->items[nodesUsed_++];
}

CXmlAttr* CXmlReader::NewAttr() {
    if (attrsUsed_ == kBlockSize) {
        attrBlocks_.PushBack(new AttrBlock());
        attrsUsed_ = 0;
    }
    return &attrBlocks_.Back()->items[attrsUsed_++];
}

void DecodeEntities(String& text) {
    if (text.Find("&") < 0) return;
    String decoded;
    XmlText::AppendDecoded(decoded, text.begin(), text.end());
    text = decoded;
}

}  // namespace NXml
