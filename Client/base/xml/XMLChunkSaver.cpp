// The saver's life, its child navigation, base folders, variables and shared objects.
#include "base/xml/XMLChunkSaver.h"

#include "base/runtime/StrUtil.h"
#include "base/xml/XmlExchange.h"
#include "base/xml/XmlResource.h"
#include "base/xml/XmlStreamSink.h"

namespace {

bool& MergeFlag() {
    static bool merge = false;
    return merge;
}

const char* kSharedClasses = "SharedClasses";

// The text that names a shared object in a document: its 1-based place in the
// write queue, right-aligned in eight characters.
String SharedIdText(std::size_t id) { return StrUtil::Format("%8zx", id); }

}  // namespace

// The writer stores the id as the Item's own text; a "__ServerPtr" child is read too.
void CXMLChunkSaver::SharedIdOfItem(String& id) {
    XmlChildScope pointer(*this, "__ServerPtr");
    Value(id);
}

CXMLChunkSaver::CXMLChunkSaver(bool reading, const String& documentPath)
    : reading_(reading), documentPath_(documentPath) {
    nodeStack_.Reserve(50);
    SetBasePath(documentPath);
}

CXMLChunkSaver::~CXMLChunkSaver() {
    Close();
    ReleaseContents();
}

CXMLChunkSaver* CXMLChunkSaver::Open(CDataStream* stream, int mode, const String& documentPath) {
    if (!stream) return nullptr;
    if (mode == kRead) {
        if (stream->Size() == 0) return nullptr;
        auto* saver = new CXMLChunkSaver(true, documentPath);
        const bool usable = !stream->HasError();
        saver->StartReading(usable ? reinterpret_cast<const char*>(stream->Data()) : nullptr,
                            usable ? stream->Size() : 0);
        return saver;
    }
    auto* saver = new CXMLChunkSaver(false, documentPath);
    if (stream->IsWritable() && !stream->HasError()) {
        saver->streamSink_ = std::make_unique<XmlStreamSink>(stream);
        saver->StartWriting(saver->streamSink_.get());
    }
    return saver;
}

CXMLChunkSaver* CXMLChunkSaver::OpenReading(const char* text, std::size_t length, const String& documentPath) {
    if (!text || length == 0) return nullptr;
    auto* saver = new CXMLChunkSaver(true, documentPath);
    saver->StartReading(text, length);
    return saver;
}

CXMLChunkSaver* CXMLChunkSaver::OpenWriting(NLXML::IXmlSink* sink, const String& documentPath) {
    if (!sink) return nullptr;
    auto* saver = new CXMLChunkSaver(false, documentPath);
    saver->StartWriting(sink);
    return saver;
}

void CXMLChunkSaver::StartReading(const char* text, std::size_t length) {
    reader_ = new NXml::CXmlReader(text, text ? text + length : nullptr);
    reader_->AddLink();
    currentNode_ = &reader_->Root();
    // Shared objects come first; with no class registered none is made, and the
    // lookup only moves the root's search position.
    if (!OpenChild(kSharedClasses)) return;
    const int count = ChildCount();
    for (int i = 1; i <= count; ++i) {
        XmlChildScope item(*this, "Item", i);
        if (!item) continue;
        int typeId = -1;
        XmlInt(*this, "__ClassTypeID", 0, &typeId);
        String id;
        SharedIdOfItem(id);
        CXmlResource* object = ClassRegistry::Create(typeId);
        if (!object) continue;
        if (sharedRead_.Find(id)) {
            delete object;
            continue;
        }
        object->AddRef();
        sharedRead_.Insert(id, object);
    }
    for (int i = 1; i <= count && sharedRead_.Count() > 0; ++i) {
        XmlChildScope item(*this, "Item", i);
        if (!item) continue;
        String id;
        SharedIdOfItem(id);
        if (auto* entry = sharedRead_.Find(id)) entry->data->Exchange(*this);
    }
    CloseChild();
}

void CXMLChunkSaver::StartWriting(NLXML::IXmlSink* sink) {
    output_ = sink;
    document_ = new NLXML::CXMLDocument();
    document_->AppendChild(new NLXML::CXMLDeclaration());
    currentElement_ = new NLXML::CXMLElement("Base");
    document_->AppendChild(currentElement_);
}

bool CXMLChunkSaver::Close() {
    if (!output_) return !writeFailed_;
    if (!sharedQueue_.Empty() && OpenChild(kSharedClasses)) {
        for (std::size_t i = 0; i < sharedQueue_.Size(); ++i) {
            XmlChildScope item(*this, "Item", static_cast<int>(i + 1));
            if (!item) continue;
            int typeId = ClassRegistry::TypeIdOf(sharedQueue_[i]);
            XmlInt(*this, "__ClassTypeID", 0, &typeId);
            String id = SharedIdText(i + 1);
            Value(id);
            sharedQueue_[i]->Exchange(*this);
        }
        CloseChild();
    }
    NLXML::CXMLOutput out(*output_, keepHexReferences_);
    document_->Print(out, String());
    writeFailed_ = !out.Flush();
    output_ = nullptr;
    return !writeFailed_;
}

void CXMLChunkSaver::ReleaseContents() {
    if (reader_) reader_->ReleaseLink();
    reader_ = nullptr;
    currentNode_ = nullptr;
    nodeStack_.Clear();
    delete document_;
    document_ = nullptr;
    streamSink_.reset();
    currentElement_ = nullptr;
    parentStack_.Clear();
    for (auto* node = sharedRead_.First(); node; node = sharedRead_.Next(node)) node->data->Release();
    sharedRead_.Clear();
    sharedWritten_.Clear();
    for (CXmlResource* object : sharedQueue_) object->Release();
    sharedQueue_.Clear();
    for (StringMap* scope : variableScopes_) delete scope;
    variableScopes_.Clear();
}

void CXMLChunkSaver::Clear() {
    Close();
    ReleaseContents();
    baseFolder_ = "";
    baseStack_.Clear();
    baseLocked_ = false;
    writeFailed_ = false;
    documentPath_ = "";
}

std::size_t CXMLChunkSaver::GetSize() const { return sizeof(*this); }

void CXMLChunkSaver::BeginMerge(const char*) {}

bool CXMLChunkSaver::OpenChild(const char* name, int index) {
    if (reading_) {
        if (!currentNode_) return false;
        NXml::CXmlNode* child = currentNode_;
        if (index >= 1) {
            const auto& children = currentNode_->Children();
            if (static_cast<std::size_t>(index) > children.Size()) return false;
            child = children[static_cast<std::size_t>(index) - 1];
            for (const NXml::CXmlAttr* attr : child->Attributes()) {
                if (attr->name.Equals("skiped")) return false;
            }
        } else if (name) {
            child = currentNode_->FindChild(name);
            if (!child) return false;
        }
        nodeStack_.PushBack(currentNode_);
        currentNode_ = child;
        return true;
    }
    if (!currentElement_) return false;
    NLXML::CXMLElement* child = currentElement_;
    if (index >= 1 || name) {
        child = new NLXML::CXMLElement(index >= 1 ? "Item" : name);
        currentElement_->AppendChild(child);
    }
    parentStack_.PushBack(currentElement_);
    currentElement_ = child;
    return true;
}

void CXMLChunkSaver::CloseChild() {
    if (reading_) {
        currentNode_ = nodeStack_.Empty() ? nullptr : nodeStack_.Back();
        if (!nodeStack_.Empty()) nodeStack_.Erase(nodeStack_.Size() - 1);
        return;
    }
    currentElement_ = parentStack_.Empty() ? nullptr : parentStack_.Back();
    if (!parentStack_.Empty()) parentStack_.Erase(parentStack_.Size() - 1);
}

int CXMLChunkSaver::ChildCount() {
    if (reading_) return currentNode_ ? static_cast<int>(currentNode_->Children().Size()) : 0;
    return currentElement_ ? static_cast<int>(currentElement_->ChildCount()) : 0;
}

void CXMLChunkSaver::ChildAt(int index, String& name, String& text) {
    if (!reading_ || !currentNode_ || index < 0) return;
    const auto& children = currentNode_->Children();
    if (static_cast<std::size_t>(index) >= children.Size()) return;
    name = children[static_cast<std::size_t>(index)]->Name().ToString();
    text = children[static_cast<std::size_t>(index)]->Text().ToString();
}

bool CXMLChunkSaver::IsMergeMode() { return MergeFlag(); }

void CXMLChunkSaver::SetMergeMode(bool merge) { MergeFlag() = merge; }

void CXMLChunkSaver::SetBasePath(const String& path) {
    if (baseLocked_) return;
    baseStack_.Clear();
    PushBasePath(path);
}

void CXMLChunkSaver::PushBasePath(const String& path) {
    if (baseLocked_) return;
    String folder = StrUtil::ReplaceAll(path, "\\", "/");
    const std::ptrdiff_t slash = [&] {
        for (std::size_t i = folder.Length(); i-- > 0;) {
            if (folder[i] == '/') return static_cast<std::ptrdiff_t>(i);
        }
        return std::ptrdiff_t(-1);
    }();
    folder.Resize(static_cast<std::size_t>(slash + 1));
    baseStack_.PushBack(folder);
    baseFolder_ = folder;
}

void CXMLChunkSaver::PopBasePath() {
    if (baseLocked_ || baseStack_.Empty()) return;
    baseStack_.Erase(baseStack_.Size() - 1);
    baseFolder_ = baseStack_.Empty() ? String() : baseStack_.Back();
}

void CXMLChunkSaver::PushVariables() { variableScopes_.PushBack(new StringMap(10)); }

void CXMLChunkSaver::SetVariable(const String& name, const String& value) {
    if (variableScopes_.Empty()) return;
    StringMap* scope = variableScopes_.Back();
    if (auto* node = scope->Find(name)) {
        node->data = value;
    } else {
        scope->Insert(name, value);
    }
}

bool CXMLChunkSaver::GetVariable(const String& name, String& value) {
    if (variableScopes_.Empty()) return false;
    auto* node = variableScopes_.Back()->Find(name);
    if (!node) return false;
    value = node->data;
    return true;
}

void CXMLChunkSaver::PopVariables() {
    if (variableScopes_.Empty()) return;
    delete variableScopes_.Back();
    variableScopes_.Erase(variableScopes_.Size() - 1);
}

void CXMLChunkSaver::WriteShared(CXmlResource* object) {
    if (reading_ || !currentElement_ || !object) return;
    // The id is the object's place in the queue; an object queued before keeps its id.
    std::size_t id = 0;
    for (std::size_t i = 0; i < sharedQueue_.Size() && id == 0; ++i) {
        if (sharedQueue_[i] == object) id = i + 1;
    }
    if (id == 0) {
        object->AddRef();
        sharedQueue_.PushBack(object);
        id = sharedQueue_.Size();
        sharedWritten_.Insert(SharedIdText(id), true);
    }
    String text = SharedIdText(id);
    Value(text);
}

CXmlResource* CXMLChunkSaver::ReadShared() {
    String id;
    if (!reading_ || !Value(id) || id == "00000000") return nullptr;
    auto* node = sharedRead_.Find(id);
    return node ? node->data : nullptr;
}

void CXMLChunkSaver::GetSharedObjects(Vector<CXmlResource*>& objects) {
    for (auto* node = sharedRead_.First(); node; node = sharedRead_.Next(node)) {
        node->data->AddRef();
        objects.PushBack(node->data);
    }
}
