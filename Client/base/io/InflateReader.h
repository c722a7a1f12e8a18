#pragma once
// Inflating readers: raw deflate (as inside ZIP entries) or zlib-wrapped data, read
// from a file window (ZipReader<MappedStream>) or from memory (ZipReader<ZipMemoryStream>).
//
// A damaged or truncated stream makes the reader unhealthy: the failing read and every
// later one return 0, and the destination never receives bytes that were not inflated.
#include <zlib.h>

#include <cstdint>

#include "base/io/DataStream.h"
#include "base/io/FileReader.h"
#include "base/io/MappedStream.h"
#include "base/runtime/String.h"

// The input side of an inflater that reads a stream's data from its start.
class ZipMemoryStream : public RefCounter {
public:
    explicit ZipMemoryStream(CDataStream* stream) : stream_(stream) {}
    bool IsReadable() const { return stream_ && stream_->IsReadable() && !stream_->HasError(); }
    std::uint64_t Size() const { return stream_ ? stream_->Size() : 0; }
    std::uint64_t Take(std::uint64_t max, const std::uint8_t*& data);

private:
    RefPtr<CDataStream> stream_;
    std::uint64_t readPosition_ = 0;
};

// The zlib side shared by both sources.
class InflateReaderBase : public IFileReader {
public:
    static constexpr std::size_t kOutputSize = 2048;

    bool IsReadable() const override { return healthy_ && SourceReadable(); }
    // A null destination skips length inflated bytes.
    std::uint32_t Read(void* destination, std::uint32_t length) override;
    bool IsHealthy() const { return healthy_; }

protected:
    InflateReaderBase(bool raw, std::uint64_t totalInput);
    ~InflateReaderBase() override;

    virtual bool SourceReadable() const = 0;
    // The next piece of input, at most max bytes; 0 when none is left or it cannot be read.
    virtual std::uint64_t Fetch(std::uint64_t max, const std::uint8_t*& data) = 0;

private:
    z_stream zlib_ {};
    std::uint8_t output_[kOutputSize];
    std::size_t outputCount_ = 0;
    std::size_t outputRead_ = 0;
    std::uint64_t totalInput_;
    std::uint64_t consumed_ = 0;
    bool initialised_ = false;
    bool healthy_ = false;
    bool ended_ = false;
};

template <class Source>
class ZipReader;

template <>
class ZipReader<MappedStream> : public InflateReaderBase {
public:
    // Inflates [position, position + compressedSize) of the window's file, clamped to the file.
    ZipReader(MappedStream* window, std::uint64_t position, std::uint64_t compressedSize, bool raw);
    // A zlib-header inflater over a whole file; unreadable when it cannot be opened.
    static RefPtr<IFileReader> CreateFromFile(const String& path);

protected:
    bool SourceReadable() const override { return readable_; }
    std::uint64_t Fetch(std::uint64_t max, const std::uint8_t*& data) override;

private:
    RefPtr<MappedStream> window_;
    std::uint64_t position_;
    bool readable_;
};

template <>
class ZipReader<ZipMemoryStream> : public InflateReaderBase {
public:
    explicit ZipReader(ZipMemoryStream* source);
    // A zlib-header inflater over the stream's data from its start.
    static RefPtr<IFileReader> Create(CDataStream* stream);

protected:
    bool SourceReadable() const override { return source_->IsReadable(); }
    std::uint64_t Fetch(std::uint64_t max, const std::uint8_t*& data) override { return source_->Take(max, data); }

private:
    RefPtr<ZipMemoryStream> source_;
};
