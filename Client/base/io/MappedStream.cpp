#include "base/io/MappedStream.h"

#include <cstdlib>

MappedStream::MappedStream(FileSource* source) : source_(source), fileSize_(source ? source->Size() : 0) {}

MappedStream::~MappedStream() { std::free(buffer_); }

void MappedStream::SetPosition(std::uint64_t position) {
    position_ = position;
    if (view_ && position >= viewStart_ && position <= viewEnd_ && viewEnd_ - position >= kChunk) return;
    view_ = nullptr;
    viewStart_ = viewEnd_ = 0;
    if (!source_ || position >= fileSize_) return;
    const std::uint64_t start = position / kAlignment * kAlignment;
    const std::uint64_t end = fileSize_ - start < kMaxView ? fileSize_ : start + kMaxView;
    if (source_->IsMemory()) {
        view_ = source_->Memory() + start;
    } else {
        if (!buffer_) buffer_ = static_cast<std::uint8_t*>(std::malloc(kMaxView));
        if (!buffer_ || !source_->CopyOut(buffer_, start, end - start)) return;
        view_ = buffer_;
    }
    viewStart_ = start;
    viewEnd_ = end;
}

std::uint64_t MappedStream::Available() const {
    if (!view_ || position_ < viewStart_ || position_ >= viewEnd_) return 0;
    return viewEnd_ - position_;
}

std::uint64_t MappedStream::Take(std::uint64_t position, std::uint64_t max, const std::uint8_t*& data) {
    SetPosition(position);
    const std::uint64_t available = Available();
    data = Current();
    return available < max ? available : max;
}
