#pragma once
// The XML saver: reads a document with NXml::CXmlReader, or builds one as an NLXML
// tree with the root "Base" and prints it once, when closed or released.
#include <cstddef>
#include <memory>

#include "base/io/DataStream.h"
#include "base/runtime/HashMap.h"
#include "base/runtime/List.h"
#include "base/xml/IXmlSaver.h"
#include "base/xml/ObjectRef.h"
#include "base/xml/XMLNodes.h"
#include "base/xml/XMLOutput.h"
#include "base/xml/XmlReader.h"

class CXMLChunkSaver final : public IXmlSaver {
public:
    enum Mode { kRead = 1, kWrite = 2 };

    // Mode 1 reads a copy of the stream's data (none when the stream is in error) and
    // needs at least one byte; any other mode writes into a writable stream (a stream
    // that is not writable gives a saver that refuses every write and prints nothing).
    // Null without a usable stream.
    static CXMLChunkSaver* Open(CDataStream* stream, int mode, const String& documentPath);
    // A reading saver over a copy of text; null when the text is empty.
    static CXMLChunkSaver* OpenReading(const char* text, std::size_t length, const String& documentPath);
    // A writing saver printing into sink (which must outlive it); null without a sink.
    static CXMLChunkSaver* OpenWriting(NLXML::IXmlSink* sink, const String& documentPath);

    ~CXMLChunkSaver() override;

    // Writing: prints the document once; false when the output refused bytes (then the
    // document must not count as written). Reading, or already closed: true.
    bool Close();
    // Writing: every '&' of texts and attributes is printed as "&amp;", a "&#x..;" in a
    // value too, so that values read back exactly as they were given.
    void EscapeEveryAmpersand() { keepHexReferences_ = false; }

    void Clear() override;
    std::size_t GetSize() const override;

    void BeginMerge(const char* listName) override;
    bool OpenChild(const char* name, int index = 0) override;
    void CloseChild() override;
    bool ValueGuid(const char* name, Guid& guid, int index = 0) override;
    bool ItemBool(const char* name, bool* value, int index = 0) override;
    bool ItemFloat(const char* name, float* value, int index = 0) override;
    bool ItemDouble(const char* name, double* value, int index = 0) override;
    bool ItemInt64(const char* name, std::int64_t* value, int index = 0) override;
    bool ItemInt(const char* name, int* value, int index = 0) override;
    bool ValueData(const char* name, void* bytes, std::size_t length, int index = 0) override;
    bool ValueWide(WideString& value) override;
    bool Value(String& value) override;
    void WriteShared(CXmlResource* object) override;
    CXmlResource* ReadShared() override;
    int ChildCount() override;
    void ChildAt(int index, String& name, String& text) override;
    bool IsMergeMode() override;
    void SetMergeMode(bool merge) override;
    bool IsReading() override { return reading_; }
    void SetBasePath(const String& path) override;
    void PushBasePath(const String& path) override;
    void PopBasePath() override;
    void LockBasePath(bool lock) override { baseLocked_ = lock; }
    String GetDocumentPath() override { return documentPath_; }
    bool AttrWide(const char* name, WideString& value) override;
    bool AttrText(const char* name, String& value) override;
    bool AttrDouble(const char* name, double* value) override;
    bool AttrFloat(const char* name, float* value) override;
    bool AttrInt(const char* name, int* value) override;
    bool AttrBool(const char* name, bool* value) override;
    void PushVariables() override;
    void SetVariable(const String& name, const String& value) override;
    bool GetVariable(const String& name, String& value) override;
    void PopVariables() override;
    void GetSharedObjects(Vector<CXmlResource*>& objects) override;

private:
    using StringMap = HashMap<String, String>;

    CXMLChunkSaver(bool reading, const String& documentPath);
    void StartReading(const char* text, std::size_t length);
    void StartWriting(NLXML::IXmlSink* sink);
    void ReleaseContents();
    void SharedIdOfItem(String& id);

    // Reading: the raw text of an Item field (child, attribute or "item"'s "data").
    enum class ItemSource { kFail, kAbsent, kChild, kValue };
    ItemSource FindItemText(const char* name, bool attributeFallback, NXml::CXmlSlice& text);
    template <class T, class Parse>
    bool ReadItem(const char* name, T* value, bool missingIsSuccess, bool emptyChildIsZero, Parse parse);
    bool WriteItem(const char* name, const String& text);
    const NXml::CXmlAttr* FindAttribute(const char* name);
    bool WriteAttribute(const char* name, const String& utf8);
    String ResolveHref(const String& value) const;

    bool reading_;
    String documentPath_;
    // Reading.
    NXml::CXmlReader* reader_ = nullptr;  // held with one link
    NXml::CXmlNode* currentNode_ = nullptr;
    Vector<NXml::CXmlNode*> nodeStack_;
    // Writing.
    NLXML::CXMLDocument* document_ = nullptr;
    NLXML::IXmlSink* output_ = nullptr;
    std::unique_ptr<NLXML::IXmlSink> streamSink_;  // when the output is a stream
    NLXML::CXMLElement* currentElement_ = nullptr;
    Vector<NLXML::CXMLElement*> parentStack_;
    bool writeFailed_ = false;
    bool keepHexReferences_ = true;
    // Base folders for "href".
    String baseFolder_;
    bool baseLocked_ = false;
    StringVector baseStack_;
    // Shared objects: nothing is registered, so these stay empty but keep their rules.
    HashMap<String, CXmlResource*> sharedRead_;
    HashMap<String, bool> sharedWritten_;
    Vector<CXmlResource*> sharedQueue_;
    Vector<StringMap*> variableScopes_;
};
