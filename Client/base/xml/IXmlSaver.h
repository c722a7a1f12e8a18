#pragma once
// The one interface that persistent records describe their fields against: the same
// exchange routine reads from a reading saver and writes into a writing one. Every
// operation takes a pointer to the field; reading fills it only when the document
// holds a usable value. Failures are results (false), never thrown.
#include <cstddef>
#include <cstdint>

#include "base/runtime/Guid.h"
#include "base/runtime/ObjectBase.h"
#include "base/runtime/String.h"
#include "base/runtime/Vector.h"

class CXmlResource;

class IXmlSaver : public CObjectBase {
public:
    virtual void BeginMerge(const char* listName) = 0;
    // index >= 1: the index-th child (1-based, any name; a child marked "skiped" is
    // refused); else the child named name. Only a successful open may be closed.
    virtual bool OpenChild(const char* name, int index = 0) = 0;
    virtual void CloseChild() = 0;
    virtual bool ValueGuid(const char* name, Guid& guid, int index = 0) = 0;
    virtual bool ItemBool(const char* name, bool* value, int index = 0) = 0;
    virtual bool ItemFloat(const char* name, float* value, int index = 0) = 0;
    virtual bool ItemDouble(const char* name, double* value, int index = 0) = 0;
    virtual bool ItemInt64(const char* name, std::int64_t* value, int index = 0) = 0;
    virtual bool ItemInt(const char* name, int* value, int index = 0) = 0;
    virtual bool ValueData(const char* name, void* bytes, std::size_t length, int index = 0) = 0;
    virtual bool ValueWide(WideString& value) = 0;
    virtual bool Value(String& value) = 0;
    virtual void WriteShared(CXmlResource* object) = 0;
    virtual CXmlResource* ReadShared() = 0;
    virtual int ChildCount() = 0;
    virtual void ChildAt(int index, String& name, String& text) = 0;
    virtual bool IsMergeMode() = 0;
    virtual void SetMergeMode(bool merge) = 0;
    virtual bool IsReading() = 0;
    virtual void SetBasePath(const String& path) = 0;
    virtual void PushBasePath(const String& path) = 0;
    virtual void PopBasePath() = 0;
    virtual void LockBasePath(bool lock) = 0;
    virtual String GetDocumentPath() = 0;
    virtual bool AttrWide(const char* name, WideString& value) = 0;
    virtual bool AttrText(const char* name, String& value) = 0;
    virtual bool AttrDouble(const char* name, double* value) = 0;
    virtual bool AttrFloat(const char* name, float* value) = 0;
    virtual bool AttrInt(const char* name, int* value) = 0;
    virtual bool AttrBool(const char* name, bool* value) = 0;
    virtual void PushVariables() = 0;
    virtual void SetVariable(const String& name, const String& value) = 0;
    virtual bool GetVariable(const String& name, String& value) = 0;
    virtual void PopVariables() = 0;
    // Appends each shared object read, with a reference taken for the caller.
    virtual void GetSharedObjects(Vector<CXmlResource*>& objects) = 0;
};
