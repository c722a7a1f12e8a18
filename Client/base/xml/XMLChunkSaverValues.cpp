// The saver's value operations: items, texts, data, GUIDs and attributes.
#include <cstring>
#include <type_traits>

#include "base/runtime/StrUtil.h"
#include "base/xml/XMLChunkSaver.h"
#include "base/xml/XmlExchange.h"
#include "base/io/Path.h"
#include "base/xml/XmlNumbers.h"

namespace {

String DecodedText(const NXml::CXmlSlice& slice) {
    String text = slice.ToString();
    NXml::DecodeEntities(text);
    return text;
}

bool ParseBoolInto(const char* text, std::size_t length, bool* value) {
    *value = XmlTextToBool(text, length);
    return true;
}

}  // namespace

CXMLChunkSaver::ItemSource CXMLChunkSaver::FindItemText(const char* name, bool attributeFallback,
                                                        NXml::CXmlSlice& text) {
    if (NXml::CXmlNode* child = currentNode_->FindChild(name)) {
        text = child->Text();
        return ItemSource::kChild;
    }
    if (attributeFallback) {
        const NXml::CXmlAttr* attr = currentNode_->FindAttr(name);
        if (!attr || attr->value.IsEmpty()) return ItemSource::kAbsent;
        text = attr->value;
        return ItemSource::kValue;
    }
    NXml::CXmlNode* item = currentNode_->FindChild("item");
    if (!item) return ItemSource::kFail;
    const NXml::CXmlAttr* data = item->Data();
    if (!data || data->value.IsEmpty()) return ItemSource::kAbsent;
    text = data->value;
    return ItemSource::kValue;
}

template <class T, class Parse>
bool CXMLChunkSaver::ReadItem(const char* name, T* value, bool missingIsSuccess, bool emptyChildIsZero, Parse parse) {
    if (!currentNode_ || !name) return false;
    // "Item" (and, except for booleans, "item") is read from the child "item"'s "data".
    const bool isItem = std::strcmp(name, "Item") == 0 || (!std::is_same_v<T, bool> && std::strcmp(name, "item") == 0);
    NXml::CXmlSlice text;
    switch (FindItemText(name, !isItem, text)) {
        case ItemSource::kFail: return false;
        case ItemSource::kAbsent: return missingIsSuccess;
        case ItemSource::kChild:
            if (text.IsEmpty() && !emptyChildIsZero) return false;
            break;
        case ItemSource::kValue: break;
    }
    T parsed{};
    if (!parse(text.data, text.length, &parsed)) return false;
    *value = parsed;
    return true;
}

bool CXMLChunkSaver::WriteItem(const char* name, const String& text) {
    if (!currentElement_ || !name) return false;
    auto* child = new NLXML::CXMLElement(name);
    child->SetText(text);
    currentElement_->AppendChild(child);
    return true;
}

bool CXMLChunkSaver::ItemBool(const char* name, bool* value, int) {
    if (!reading_) return WriteItem(name, *value ? "true" : "false");
    return ReadItem(name, value, false, false, ParseBoolInto);
}

bool CXMLChunkSaver::ItemFloat(const char* name, float* value, int) {
    if (!reading_) return WriteItem(name, XmlFloatText(*value));
    return ReadItem(name, value, false, true, XmlTextToFloat);
}

bool CXMLChunkSaver::ItemDouble(const char* name, double* value, int) {
    if (!reading_) return WriteItem(name, XmlDoubleText(*value));
    return ReadItem(name, value, false, true, XmlTextToDouble);
}

bool CXMLChunkSaver::ItemInt64(const char* name, std::int64_t* value, int) {
    if (!reading_) return WriteItem(name, XmlIntText(*value));
    return ReadItem(name, value, true, false, XmlTextToInt64);
}

bool CXMLChunkSaver::ItemInt(const char* name, int* value, int) {
    if (!reading_) return WriteItem(name, XmlIntText(*value));
    return ReadItem(name, value, true, false, XmlTextToInt);
}

bool CXMLChunkSaver::Value(String& value) {
    if (reading_) {
        if (!currentNode_) return false;
        value = DecodedText(currentNode_->Text());
        return true;
    }
    if (!currentElement_) return false;
    currentElement_->SetText(value);
    return true;
}

bool CXMLChunkSaver::ValueWide(WideString& value) {
    String utf8;
    if (reading_) {
        WideString wide;
        if (!Value(utf8) || !StrUtil::Utf8ToWide(wide, utf8)) return false;
        value = wide;
        return true;
    }
    return StrUtil::WideToUtf8(utf8, value) && Value(utf8);
}

bool CXMLChunkSaver::ValueData(const char* name, void* bytes, std::size_t length, int index) {
    XmlChildScope child(*this, name, index);
    if (name && !child) return false;
    String text;
    if (!reading_) {
        text.Resize(2 * length);
        StrUtil::ToHex(bytes, length, text.Data());
        return Value(text);
    }
    if (!Value(text)) return false;
    if (text.IsEmpty()) {
        std::memset(bytes, 0, length);
        return true;
    }
    // Odd, overlong or non-hexadecimal text is refused and leaves the bytes as they were.
    ByteVector decoded;
    decoded.Resize(length);
    std::size_t written = 0;
    if (!StrUtil::FromHex(text.CStr(), decoded.Data(), length, &written) || written != length) return false;
    if (length) std::memcpy(bytes, decoded.Data(), length);
    return true;
}

bool CXMLChunkSaver::ValueGuid(const char* name, Guid& guid, int index) {
    XmlChildScope child(*this, name, index);
    if (name && !child) return false;
    String text;
    if (!reading_) {
        GuidToText(guid, text);
        return Value(text);
    }
    return Value(text) && GuidFromText(text, guid);
}

const NXml::CXmlAttr* CXMLChunkSaver::FindAttribute(const char* name) {
    return reading_ && currentNode_ && name ? currentNode_->FindAttr(name) : nullptr;
}

bool CXMLChunkSaver::WriteAttribute(const char* name, const String& utf8) {
    if (reading_ || !currentElement_ || !name) return false;
    currentElement_->SetAttribute(name, utf8);
    return true;
}

bool CXMLChunkSaver::AttrWide(const char* name, WideString& value) {
    String utf8;
    if (!reading_) return StrUtil::WideToUtf8(utf8, value) && WriteAttribute(name, utf8);
    const NXml::CXmlAttr* attr = FindAttribute(name);
    WideString wide;
    if (!attr || !StrUtil::Utf8ToWide(wide, DecodedText(attr->value))) return false;
    value = wide;
    return true;
}

bool CXMLChunkSaver::AttrText(const char* name, String& value) {
    const bool isHref = name && std::strcmp(name, "href") == 0;
    if (!reading_) {
        String utf8;
        if (!StrUtil::NarrowToUtf8(utf8, value)) return false;
        return WriteAttribute(name, isHref ? String("/") + utf8 : utf8);
    }
    const NXml::CXmlAttr* attr = FindAttribute(name);
    String narrow;
    if (!attr || !StrUtil::Utf8ToNarrow(narrow, DecodedText(attr->value))) return false;
    value = isHref ? ResolveHref(narrow) : narrow;
    return true;
}

String CXMLChunkSaver::ResolveHref(const String& value) const {
    if (value.IsEmpty()) return value;
    String path = value[0] == '/' || value[0] == '\\' ? value.Substr(1) : baseFolder_ + value;
    Path::NormalizeInPlace(path);
    return path;
}

bool CXMLChunkSaver::AttrDouble(const char* name, double* value) {
    if (!reading_) return WriteAttribute(name, XmlDoubleText(*value));
    const NXml::CXmlAttr* attr = FindAttribute(name);
    return attr && XmlTextToDouble(attr->value.data, attr->value.length, value);
}

bool CXMLChunkSaver::AttrFloat(const char* name, float* value) {
    if (!reading_) return WriteAttribute(name, XmlFloatText(*value));
    const NXml::CXmlAttr* attr = FindAttribute(name);
    return attr && XmlTextToFloat(attr->value.data, attr->value.length, value);
}

bool CXMLChunkSaver::AttrInt(const char* name, int* value) {
    if (!reading_) return WriteAttribute(name, XmlIntText(*value));
    const NXml::CXmlAttr* attr = FindAttribute(name);
    return attr && XmlTextToInt(attr->value.data, attr->value.length, value);
}

bool CXMLChunkSaver::AttrBool(const char* name, bool* value) {
    if (!reading_) return WriteAttribute(name, *value ? "true" : "false");
    const NXml::CXmlAttr* attr = FindAttribute(name);
    if (!attr) return false;
    *value = XmlTextToBool(attr->value.data, attr->value.length);
    return true;
}
