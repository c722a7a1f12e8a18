#pragma once
// Printed XML into a stream: the sink a writing saver uses for its output stream.
#include "base/io/FileWriter.h"
#include "base/xml/XMLOutput.h"

class XmlStreamSink final : public NLXML::IXmlSink {
public:
    explicit XmlStreamSink(IFileWriter* writer) : writer_(writer) {}
    bool Write(const char* data, std::size_t length) override { return writer_ && writer_->Write(data, length); }

private:
    RefPtr<IFileWriter> writer_;
};
