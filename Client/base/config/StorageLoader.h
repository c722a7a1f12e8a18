#pragma once
// Binds one group of global variables to one configuration file of key = value lines:
// Load reads the file into the variables, Save writes the group back.
#include "base/config/ConfigLine.h"
#include "base/config/GlobalVar.h"
#include "base/config/LineReader.h"
#include "base/config/LineWriter.h"
#include "base/runtime/HashMap.h"
#include "base/runtime/RefCounter.h"
#include "base/runtime/String.h"
#include "base/runtime/Vector.h"

// Owns one variable that a loader created for a key no code defines (or one of
// another group); destroying the wrap unregisters the variable.
class IVarWrap : public RefCounter {
public:
    virtual Global::Var& Variable() = 0;
};

class StorageLoader {
public:
    template <class T>
    class VarWrap : public IVarWrap {
    public:
        template <class Initial>
        VarWrap(const String& name, const Initial& initial, Global::Group* group)
            : variable_(name, initial, Global::ChangeCallback(), group) {}
        Global::Var& Variable() override { return variable_; }

    private:
        T variable_;
    };

    explicit StorageLoader(Global::Group* group);
    StorageLoader(const StorageLoader&) = delete;
    StorageLoader& operator=(const StorageLoader&) = delete;
    ~StorageLoader();

    // Remembers the path; a file that cannot be opened loads nothing.
    void Load(const String& path);
    void LoadFrom(Config::ILineReader& reader);
    // Replaces the remembered file as a whole (a new file renamed over it); false, and
    // the old file untouched, when it could not be written completely.
    bool Save();
    bool SaveTo(Config::ILineWriter& writer) const;

    void ParseLine(const WideString& text, bool allowAliases);
    const String& FileName() const { return fileName_; }

    // The saved line of one variable; empty for an unset value.
    static WideString SavedLine(const String& name, const Global::Value& value);

private:
    void ApplyLine(const Config::Line& line, bool allowAliases);
    void AssignValue(const String& name, const WideString& value);
    void AssignText(const String& name, const WideString& text);
    void AssignBool(const String& name, bool flag);
    void AssignDouble(const String& name, double number);
    template <class T, class Initial>
    void AssignOrWrap(const String& name, const Initial& initial);

    Global::Group* group_;
    RefPtrVector wraps_;
    // The wrap of each name, so that repeated keys reuse one variable.
    HashMap<String, IVarWrap*> wrapsByName_{13};
    String fileName_;
};
