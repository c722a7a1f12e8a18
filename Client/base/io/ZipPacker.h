#pragma once
// A deflating writer: 64 KiB input blocks compressed into a zlib (or raw deflate)
// stream that goes to an IWriter. The output is complete once Finish ran (the
// destructor runs it).
#include <zlib.h>

#include <cstdint>

#include "base/io/FileWriter.h"
#include "base/runtime/String.h"

class IWriter : public RefCounter {
public:
    virtual bool Write(const void* data, std::size_t length, std::size_t* written) = 0;

protected:
    ~IWriter() override = default;
};

// Writes a new file front to back; it replaces what was at its path (a link there is
// replaced, not followed).
class FileWriter : public IWriter {
public:
    explicit FileWriter(const String& path);
    bool IsOpen() const { return fd_ >= 0; }
    bool Write(const void* data, std::size_t length, std::size_t* written) override;

protected:
    ~FileWriter() override;

private:
    int fd_;
};

class ZipPacker : public IFileWriter {
public:
    static constexpr std::size_t kBlockSize = 65536;

    ZipPacker(IWriter* writer, bool raw);
    // A zlib-mode packer over a new file; null when the file cannot be created.
    static RefPtr<ZipPacker> Create(const String& path);

    bool Write(const void* data, std::size_t length) override;
    // Compresses what is buffered and ends the stream; false when the writer fell short.
    bool Finish();
    std::size_t Buffered() const { return buffered_; }

protected:
    ~ZipPacker() override;

private:
    bool Compress(int flush);

    std::uint8_t input_[kBlockSize];
    std::uint8_t output_[kBlockSize];
    std::size_t buffered_ = 0;
    z_stream zlib_ {};
    bool initialised_;
    bool finished_ = false;
    bool failed_ = false;
    RefPtr<IWriter> writer_;
};
