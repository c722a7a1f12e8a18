#pragma once
// Streams whose buffer is a view of a file: the whole file (CMemoryMappedFile) or a
// read-only range of an archive (CMemoryMappedFileFragment).
#include <cstdint>

#include "base/io/DataStream.h"
#include "base/io/FileSource.h"

class CMappedStream : public CDataStream {
public:
    // Remaps the view to newCapacity bytes; the data survives because it is in the file.
    void Reallocate(std::size_t keep, std::size_t newCapacity) override { Remap(keep, newCapacity); }
    void Flush() override;

    virtual std::uint64_t FileSize() = 0;
    virtual bool SetFileSize(std::uint64_t size) = 0;
    virtual std::uint8_t* MapView(std::size_t size) = 0;
    virtual void UnmapView(std::uint8_t* address) = 0;
    virtual bool FlushView(std::uint8_t* address) = 0;

    // Unmaps the view and cuts a writable file to its data; false when the cut failed.
    bool Close();

protected:
    CMappedStream() : CDataStream(0) {}
    ~CMappedStream() override = default;

    void Open(std::uint32_t mode);
    void Remap(std::size_t keep, std::size_t newCapacity);

private:
    bool closed_ = false;
};

class CMemoryMappedFile : public CMappedStream {
public:
    // Read-only files up to this size are copied instead of mapped. Larger ones are mapped
    // under the mapping guard: when another process cuts the file short, the stream
    // reports an error instead of the process dying of SIGBUS.
    static constexpr std::uint64_t kCopyLimit = 16u << 20;

    CMemoryMappedFile(const String& path, FileSource::Mode mode);
    CMemoryMappedFile(const WideString& path, FileSource::Mode mode);

    std::uint64_t FileSize() override;
    bool SetFileSize(std::uint64_t size) override;
    std::uint8_t* MapView(std::size_t size) override;
    void UnmapView(std::uint8_t* address) override;
    bool FlushView(std::uint8_t* address) override;

    // Closes the view and makes the written data durable; false on any failure.
    bool Finish();

protected:
    ~CMemoryMappedFile() override;

private:
    void OpenSource(const String& path, FileSource::Mode mode);

    RefPtr<FileSource> source_;
    std::size_t viewLength_ = 0;
    const std::atomic<bool>* guard_ = nullptr;  // read-only mapped views
    bool copied_ = false;
};

class CMemoryMappedFileFragment : public CMappedStream {
public:
    // A read-only stream of [offset, offset + size) of the source; in error when the
    // range does not lie inside it.
    CMemoryMappedFileFragment(FileSource* source, std::uint64_t offset, std::uint64_t size);

    std::uint64_t FileSize() override { return size_; }
    bool SetFileSize(std::uint64_t) override { return true; }
    std::uint8_t* MapView(std::size_t size) override;
    void UnmapView(std::uint8_t* address) override;
    bool FlushView(std::uint8_t* address) override;

    // Where the view starts in the mapping (for tests of the alignment).
    std::uint64_t ViewOffset() const { return viewOffset_; }

protected:
    ~CMemoryMappedFileFragment() override;

private:
    RefPtr<FileSource> source_;
    std::uint64_t offset_;
    std::uint64_t size_;
    std::uint8_t* viewBase_ = nullptr;
    std::size_t viewLength_ = 0;
    std::uint64_t viewOffset_ = 0;
    const std::atomic<bool>* guard_ = nullptr;  // mapped views
    bool copied_ = false;
};
