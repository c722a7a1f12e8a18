#pragma once
// The stored bytes of [offset, offset + size) of a file, read through a window.
#include "base/io/MappedStream.h"
#include "base/io/RawFileReader.h"
#include "base/runtime/String.h"

template <class Source>
class RawReader;

template <>
class RawReader<MappedStream> : public IRawFileReader {
public:
    // The range is clamped to the file.
    RawReader(MappedStream* window, std::uint64_t offset, std::uint64_t size);
    static RefPtr<IRawFileReader> CreateFromFile(const String& path);

    bool IsReadable() const override;
    std::uint32_t Read(void* destination, std::uint32_t length) override;
    // Ignored unless readable and position < size.
    void Seek(std::uint64_t position) override;
    std::uint64_t Size() const override { return size_; }

private:
    RefPtr<MappedStream> window_;
    std::uint64_t offset_;
    std::uint64_t size_;
    std::uint64_t position_ = 0;
};
