#include "engine/gamedata/StickyReader.h"

#include <cstring>

namespace Game {
namespace {
constexpr std::uint32_t kPiece = 64 * 1024;
}  // namespace

StickyReader::StickyReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

StickyReader::StickyReader(IFileReader* reader, std::uint64_t budget) : reader_(reader), budget_(budget) {}

bool StickyReader::ReadBytes(void* destination, std::size_t length) {
    if (!ok_) return false;
    if (reader_) {
        if (length > budget_ || length > UINT32_MAX) return ok_ = false;
        const std::uint32_t got = reader_->Read(destination, static_cast<std::uint32_t>(length));
        budget_ -= got;
        return ok_ = (got == length);
    }
    if (length > Remaining()) return ok_ = false;
    std::memcpy(destination, data_ + position_, length);
    position_ += length;
    return true;
}

std::uint32_t StickyReader::ReadU32() {
    std::uint8_t bytes[4] = {};
    if (!ReadBytes(bytes, 4)) return 0;
    return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

std::uint8_t StickyReader::ReadU8() {
    std::uint8_t byte = 0;
    ReadBytes(&byte, 1);
    return byte;
}

bool StickyReader::ReadInto(ByteVector& out, std::uint32_t length) {
    out.Clear();
    if (!ok_) return false;
    const std::uint64_t available = reader_ ? budget_ : Remaining();
    if (length > available) return ok_ = false;
    while (length > 0 && ok_) {
        const std::uint32_t piece = length < kPiece ? length : kPiece;
        const std::size_t at = out.Size();
        out.Resize(at + piece);
        ReadBytes(out.Data() + at, piece);
        length -= piece;
    }
    return ok_;
}

bool StickyReader::ReadBlock(ByteVector& out, std::uint32_t maxLength) {
    const std::uint32_t length = ReadU32();
    if (ok_ && length > maxLength) ok_ = false;
    return ReadInto(out, length);
}

bool StickyReader::ReadString(String& out, StringRule rule) {
    const std::uint32_t length = ReadU32();
    if (ok_ && (length < rule.minLength || length > rule.maxLength)) ok_ = false;
    ByteVector bytes;
    if (!ReadInto(bytes, length)) return false;
    const char* text = reinterpret_cast<const char*>(bytes.Data());
    const void* zero = length ? std::memchr(text, 0, length) : nullptr;
    const std::size_t kept = zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - text) : length;
    out = String(std::string_view(text, kept));
    return true;
}

}  // namespace Game
