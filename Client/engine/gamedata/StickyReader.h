#pragma once
// Reads little-endian fields from version-file data. The ok flag is sticky: the first
// read that cannot deliver everything it was asked for clears it, and every later read
// does nothing. Lengths are checked before anything is allocated: against the bytes
// left when the source is in memory, against a byte budget when it is an inflater.
#include <cstddef>
#include <cstdint>

#include "base/io/FileReader.h"
#include "base/runtime/RefCounter.h"
#include "base/runtime/String.h"
#include "base/runtime/Vector.h"

namespace Game {

// How a generation frames a string: a u32 length within [minLength, maxLength], then the bytes.
struct StringRule {
    std::uint32_t minLength;
    std::uint32_t maxLength;
};

class StickyReader {
public:
    StickyReader(const std::uint8_t* data, std::size_t size);
    // Reads at most budget bytes from the reader (which is kept alive by the caller).
    StickyReader(IFileReader* reader, std::uint64_t budget);

    bool Ok() const { return ok_; }
    void Fail() { ok_ = false; }

    std::uint32_t ReadU32();
    std::uint8_t ReadU8();
    bool ReadBytes(void* destination, std::size_t length);
    // A length-framed block (u32 length within maxLength) into out.
    bool ReadBlock(ByteVector& out, std::uint32_t maxLength);
    // A length-framed string; the value ends at its first zero byte.
    bool ReadString(String& out, StringRule rule);

    // Memory source only: the bytes not read yet.
    const std::uint8_t* Cursor() const { return data_ + position_; }
    std::size_t Remaining() const { return size_ - position_; }

private:
    // Appends length bytes to out in bounded pieces, so a false length costs no memory.
    bool ReadInto(ByteVector& out, std::uint32_t length);

    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t position_ = 0;
    IFileReader* reader_ = nullptr;
    std::uint64_t budget_ = 0;
    bool ok_ = true;
};

}  // namespace Game
