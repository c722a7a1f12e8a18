#include "base/io/RawReader.h"

#include <cstring>

RawReader<MappedStream>::RawReader(MappedStream* window, std::uint64_t offset, std::uint64_t size)
    : window_(window), offset_(offset), size_(0) {
    const std::uint64_t fileSize = window ? window->FileSize() : 0;
    if (offset <= fileSize) size_ = size < fileSize - offset ? size : fileSize - offset;
    if (window_) window_->SetPosition(offset_);
}

RefPtr<IRawFileReader> RawReader<MappedStream>::CreateFromFile(const String& path) {
    RefPtr<FileSource> source(new FileSource(path, FileSource::Read));
    RefPtr<MappedStream> window(new MappedStream(source.Get()));
    return RefPtr<IRawFileReader>(new RawReader<MappedStream>(window.Get(), 0, window->FileSize()));
}

bool RawReader<MappedStream>::IsReadable() const {
    return window_ && window_->Source() && window_->Source()->IsOpen() && (size_ == 0 || window_->HasView());
}

std::uint32_t RawReader<MappedStream>::Read(void* destination, std::uint32_t length) {
    if (!IsReadable()) return 0;
    const std::uint64_t left = size_ - position_;
    std::uint64_t count = length < left ? length : left;
    auto* out = static_cast<std::uint8_t*>(destination);
    std::uint64_t done = 0;
    while (done < count) {
        const std::uint8_t* data = nullptr;
        const std::uint64_t want = count - done < MappedStream::kChunk ? count - done : MappedStream::kChunk;
        const std::uint64_t got = window_->Take(offset_ + position_, want, data);
        if (got == 0) break;  // the file became shorter than it was
        if (out) std::memcpy(out + done, data, got);
        done += got;
        position_ += got;
    }
    return static_cast<std::uint32_t>(done);
}

void RawReader<MappedStream>::Seek(std::uint64_t position) {
    if (IsReadable() && position < size_) position_ = position;
}
