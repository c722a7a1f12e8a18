#include "base/io/ZipPacker.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include "platform/posix/FileMapping.h"
#include "platform/posix/FileMove.h"

FileWriter::FileWriter(const String& path) : fd_(OpenFreshFileReplacing(path.Std(), 0644)) {
    if (fd_ >= 0) ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
}

FileWriter::~FileWriter() { Posix::CloseFile(fd_); }

bool FileWriter::Write(const void* data, std::size_t length, std::size_t* written) {
    const bool ok = length > 0 && fd_ >= 0 && Posix::WriteAll(fd_, data, length);
    if (written) *written = ok ? length : 0;
    return ok;
}

ZipPacker::ZipPacker(IWriter* writer, bool raw) : writer_(writer) {
    initialised_ = (raw ? deflateInit2(&zlib_, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY)
                        : deflateInit(&zlib_, Z_DEFAULT_COMPRESSION)) == Z_OK;
    failed_ = !initialised_;
}

RefPtr<ZipPacker> ZipPacker::Create(const String& path) {
    RefPtr<FileWriter> writer(new FileWriter(path));
    if (!writer->IsOpen()) return nullptr;
    return RefPtr<ZipPacker>(new ZipPacker(writer.Get(), false));
}

ZipPacker::~ZipPacker() {
    Finish();
    if (initialised_) deflateEnd(&zlib_);
}

bool ZipPacker::Compress(int flush) {
    zlib_.next_in = input_;
    zlib_.avail_in = static_cast<uInt>(buffered_);
    do {
        zlib_.next_out = output_;
        zlib_.avail_out = kBlockSize;
        const int result = deflate(&zlib_, flush);
        if (result == Z_STREAM_ERROR) return false;
        const std::size_t produced = kBlockSize - zlib_.avail_out;
        std::size_t written = 0;
        if (produced && (!writer_->Write(output_, produced, &written) || written != produced)) return false;
    } while (zlib_.avail_out == 0);
    buffered_ = 0;
    return true;
}

bool ZipPacker::Write(const void* data, std::size_t length) {
    if (failed_ || finished_) return false;
    const auto* in = static_cast<const std::uint8_t*>(data);
    while (buffered_ + length > kBlockSize) {
        const std::size_t fill = kBlockSize - buffered_;
        std::memcpy(input_ + buffered_, in, fill);
        buffered_ = kBlockSize;
        in += fill;
        length -= fill;
        if (!Compress(Z_NO_FLUSH)) {
            failed_ = true;
            return false;
        }
    }
    if (length) std::memcpy(input_ + buffered_, in, length);
    buffered_ += length;
    return true;
}

bool ZipPacker::Finish() {
    if (finished_) return !failed_;
    finished_ = true;
    if (!failed_ && !Compress(Z_FINISH)) failed_ = true;
    writer_ = nullptr;
    return !failed_;
}
