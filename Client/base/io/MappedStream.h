#pragma once
// A read-only window over a file or memory block: at most 1 MiB starting at a multiple
// of 64 KiB, moved as a reader walks forward. File-backed windows read their bytes
// with pread instead of mapping them, so an archive cut short by another process
// gives a failed read, never a SIGBUS.
#include <cstdint>

#include "base/io/FileSource.h"
#include "base/runtime/RefCounter.h"

class MappedStream : public RefCounter {
public:
    static constexpr std::uint64_t kAlignment = 65536;
    static constexpr std::uint64_t kMaxView = 1048576;
    static constexpr std::uint64_t kChunk = 2048;

    explicit MappedStream(FileSource* source);

    // Makes the view cover [position, position + 2,048) as far as the file allows.
    void SetPosition(std::uint64_t position);
    std::uint64_t Position() const { return position_; }
    std::uint64_t FileSize() const { return fileSize_; }
    bool HasView() const { return view_ != nullptr; }
    std::uint64_t ViewStart() const { return viewStart_; }
    std::uint64_t ViewEnd() const { return viewEnd_; }
    // The bytes of the view from the current position; 0 when it lies outside.
    std::uint64_t Available() const;
    const std::uint8_t* Current() const { return view_ ? view_ + (position_ - viewStart_) : nullptr; }
    FileSource* Source() const { return source_.Get(); }

    // Moves to position and takes up to max bytes from there; 0 when none are available.
    std::uint64_t Take(std::uint64_t position, std::uint64_t max, const std::uint8_t*& data);

protected:
    ~MappedStream() override;

private:
    RefPtr<FileSource> source_;
    const std::uint8_t* view_ = nullptr;
    std::uint8_t* buffer_ = nullptr;  // file-backed views
    std::uint64_t viewStart_ = 0;
    std::uint64_t viewEnd_ = 0;
    std::uint64_t position_ = 0;
    std::uint64_t fileSize_;
};
