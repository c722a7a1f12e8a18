#pragma once
// The printing sink of the XML document model: a byte buffer in front of a writer.
// The writer sees one write whenever more than 1024 bytes are pending, plus the rest
// at Flush. A refused write is remembered, so that a document that was not fully
// written is never taken for written.
#include <cstddef>

#include "base/runtime/String.h"

namespace NLXML {

// Where printed bytes go: a stream adapter, or a String in memory.
class IXmlSink {
public:
    virtual ~IXmlSink() = default;
    virtual bool Write(const char* data, std::size_t length) = 0;
};

// Collects printed bytes in memory.
class CXMLStringSink final : public IXmlSink {
public:
    bool Write(const char* data, std::size_t length) override {
        text_.Append(data, data + length);
        return true;
    }
    const String& Text() const { return text_; }

private:
    String text_;
};

class CXMLOutput {
public:
    static constexpr std::size_t kFlushThreshold = 1024;

    // keepHexReferences false: every '&' is escaped, so that a text holding "&#x41;"
    // reads back as itself and not as "A".
    explicit CXMLOutput(IXmlSink& sink, bool keepHexReferences = true)
        : sink_(sink), keepHexReferences_(keepHexReferences) {}

    void Write(const char* data, std::size_t length);
    void Write(const char* text);
    void Write(const String& text) { Write(text.CStr(), text.Length()); }
    // Writes text with " & ' < > escaped; a well-formed &#x..; reference is kept
    // unless the output was made to escape every '&'.
    void WriteEscaped(const String& text);
    // Hands the pending bytes to the sink; false when this or any earlier write failed.
    bool Flush();
    bool Failed() const { return failed_; }

private:
    IXmlSink& sink_;
    String pending_;
    bool keepHexReferences_;
    bool failed_ = false;
};

}  // namespace NLXML
