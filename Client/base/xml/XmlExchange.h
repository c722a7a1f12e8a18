#pragma once
// Helpers for exchange routines.
#include "base/xml/IXmlSaver.h"

// Opens a child for the scope's life and closes it only when it was opened, so that
// a missing element never closes its parent and derails every later read.
class XmlChildScope {
public:
    XmlChildScope(IXmlSaver& saver, const char* name, int index = 0)
        : saver_(saver), open_(saver.OpenChild(name, index)) {}
    ~XmlChildScope() {
        if (open_) saver_.CloseChild();
    }
    XmlChildScope(const XmlChildScope&) = delete;
    XmlChildScope& operator=(const XmlChildScope&) = delete;

    bool IsOpen() const { return open_; }
    explicit operator bool() const { return open_; }

private:
    IXmlSaver& saver_;
    bool open_;
};

// A writing saver stores the field; a reading saver changes it only on success.
inline bool XmlInt(IXmlSaver& saver, const char* name, int index, int* field) {
    int value = *field;
    const bool ok = saver.ItemInt(name, &value, index);
    if (ok && saver.IsReading()) *field = value;
    return ok;
}

inline bool XmlBool(IXmlSaver& saver, const char* name, int index, bool* field) {
    bool value = *field;
    const bool ok = saver.ItemBool(name, &value, index);
    if (ok && saver.IsReading()) *field = value;
    return ok;
}

// A text field as the text of a child element of its own.
inline bool XmlWideText(IXmlSaver& saver, const char* name, WideString& field) {
    XmlChildScope child(saver, name);
    return child && saver.ValueWide(field);
}

enum class XmlArrayMode { kReplace = 0, kGrow = 1, kPrepend = 2 };

// A list of records, each exchanged by its own Exchange(IXmlSaver&) inside an "Item"
// child. The caller opens and closes the list's own element around the call.
template <class Record>
void XmlArray(IXmlSaver& saver, const char* name, Vector<Record>& records, XmlArrayMode mode = XmlArrayMode::kReplace) {
    std::size_t n = records.Size();
    if (saver.IsReading()) {
        const int count = saver.ChildCount();
        n = count > 0 ? static_cast<std::size_t>(count) : 0;
        switch (mode) {
            case XmlArrayMode::kReplace:
                if (!saver.IsMergeMode()) {
                    records.Clear();
                    records.Resize(n);
                } else if (n > 0) {
                    if (!records.Empty()) saver.BeginMerge(name);
                    if (records.Size() < n) records.Resize(n);
                }
                break;
            case XmlArrayMode::kGrow:
                if (records.Size() < n) records.Resize(n);
                break;
            case XmlArrayMode::kPrepend:
                if (n > 0) {
                    Vector<Record> fresh;
                    fresh.Resize(n);
                    records.InsertRange(0, fresh.begin(), fresh.end());
                }
                break;
        }
    }
    for (std::size_t i = 1; i <= n && i <= records.Size(); ++i) {
        XmlChildScope item(saver, "Item", static_cast<int>(i));
        if (item) records[i - 1].Exchange(saver);
    }
}
