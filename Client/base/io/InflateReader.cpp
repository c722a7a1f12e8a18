#include "base/io/InflateReader.h"

#include <cstring>

std::uint64_t ZipMemoryStream::Take(std::uint64_t max, const std::uint8_t*& data) {
    const std::uint64_t size = Size();
    if (readPosition_ >= size) return 0;
    const std::uint64_t count = size - readPosition_ < max ? size - readPosition_ : max;
    data = stream_->Data() + readPosition_;
    readPosition_ += count;
    return count;
}

InflateReaderBase::InflateReaderBase(bool raw, std::uint64_t totalInput) : totalInput_(totalInput) {
    initialised_ = (raw ? inflateInit2(&zlib_, -MAX_WBITS) : inflateInit(&zlib_)) == Z_OK;
    healthy_ = initialised_;
}

InflateReaderBase::~InflateReaderBase() {
    if (initialised_) inflateEnd(&zlib_);
}

std::uint32_t InflateReaderBase::Read(void* destination, std::uint32_t length) {
    if (!IsReadable()) return 0;
    auto* out = static_cast<std::uint8_t*>(destination);
    std::uint32_t delivered = 0;
    for (;;) {
        const std::size_t held = outputCount_ - outputRead_;
        const std::size_t wanted = length - delivered;
        const std::size_t take = held < wanted ? held : wanted;
        if (take && out) std::memcpy(out + delivered, output_ + outputRead_, take);
        outputRead_ += take;
        delivered += static_cast<std::uint32_t>(take);
        if (delivered == length || ended_) break;
        outputCount_ = outputRead_ = 0;

        bool fetched = false;
        if (zlib_.avail_in == 0 && consumed_ < totalInput_) {
            const std::uint8_t* data = nullptr;
            const std::uint64_t left = totalInput_ - consumed_;
            const std::uint64_t count = Fetch(left < kOutputSize ? left : kOutputSize, data);
            if (count == 0) {
                healthy_ = false;  // the input cannot be read any more
                break;
            }
            zlib_.next_in = const_cast<Bytef*>(data);
            zlib_.avail_in = static_cast<uInt>(count);
            consumed_ += count;
            fetched = true;
        }
        const uInt inputBefore = zlib_.avail_in;
        zlib_.next_out = output_;
        zlib_.avail_out = kOutputSize;
        const int result = inflate(&zlib_, Z_NO_FLUSH);
        outputCount_ = kOutputSize - zlib_.avail_out;
        if (result == Z_STREAM_END) {
            ended_ = true;
        } else if (result != Z_OK && result != Z_BUF_ERROR) {
            healthy_ = false;
            break;
        }
        // With all input used and no step forward, the stream was cut short.
        const bool progress = fetched || outputCount_ > 0 || zlib_.avail_in != inputBefore;
        if (!ended_ && !progress) {
            healthy_ = false;
            break;
        }
    }
    // A source over a guarded mapping can turn bad while zlib reads it (a file cut short).
    if (!SourceReadable()) healthy_ = false;
    return healthy_ ? delivered : 0;
}

ZipReader<MappedStream>::ZipReader(MappedStream* window, std::uint64_t position, std::uint64_t compressedSize, bool raw)
    : InflateReaderBase(raw, [&] {
          const std::uint64_t size = window ? window->FileSize() : 0;
          if (position >= size) return std::uint64_t{0};
          return compressedSize < size - position ? compressedSize : size - position;
      }()),
      window_(window),
      position_(position),
      readable_(window && window->Source() && window->Source()->IsOpen() && position <= window->FileSize()) {
    if (readable_) window_->SetPosition(position);
}

std::uint64_t ZipReader<MappedStream>::Fetch(std::uint64_t max, const std::uint8_t*& data) {
    const std::uint64_t count = window_->Take(position_, max, data);
    position_ += count;
    return count;
}

RefPtr<IFileReader> ZipReader<MappedStream>::CreateFromFile(const String& path) {
    RefPtr<FileSource> source(new FileSource(path, FileSource::Read));
    RefPtr<MappedStream> window(new MappedStream(source.Get()));
    return RefPtr<IFileReader>(new ZipReader<MappedStream>(window.Get(), 0, window->FileSize(), false));
}

ZipReader<ZipMemoryStream>::ZipReader(ZipMemoryStream* source)
    : InflateReaderBase(false, source->Size()), source_(source) {}

RefPtr<IFileReader> ZipReader<ZipMemoryStream>::Create(CDataStream* stream) {
    RefPtr<ZipMemoryStream> source(new ZipMemoryStream(stream));  // never a new inside another new
    return RefPtr<IFileReader>(new ZipReader<ZipMemoryStream>(source.Get()));
}
