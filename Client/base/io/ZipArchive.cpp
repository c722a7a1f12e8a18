#include "base/io/ZipArchive.h"

#include <mutex>

#include "base/io/InflateReader.h"
#include "base/io/MemoryStream.h"
#include "base/runtime/StrUtil.h"

namespace NVFS {

namespace {
constexpr std::uint32_t kEndSignature = 0x06054B50;
constexpr std::uint32_t kEntrySignature = 0x02014B50;
constexpr std::uint64_t kEndSize = 22;
constexpr std::uint64_t kEntrySize = 46;
constexpr std::uint64_t kLocalSize = 30;
constexpr std::uint32_t kZip64Marker = 0xFFFFFFFF;
// Deflate cannot expand data by more than about 1032:1; a larger claim is a lie that
// would only make us allocate memory for nothing.
constexpr std::uint64_t kMaxDeflateRatio = 1032;

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Opening entries shares the archive's window, so it is serialised process-wide.
std::mutex& EntryLock() {
    static std::mutex lock;
    return lock;
}
}  // namespace

ZipArchive::ZipArchive(const String& path, const std::uint8_t* blockBegin, const std::uint8_t* blockEnd) {
    source_ = blockBegin ? new FileSource(blockBegin, blockEnd) : new FileSource(path, FileSource::Read);
    if (source_->IsOpen()) Open();
}

ZipArchive::ZipArchive(const WideString& path, const std::uint8_t* blockBegin, const std::uint8_t* blockEnd)
    : ZipArchive(String(path), blockBegin, blockEnd) {}

void ZipArchive::Open() {
    binary_ = new BinaryArchive(source_.Get());
    size_ = source_->Size();
    // Disk archives get no mapping: stored entries are copied with pread, so an archive
    // truncated by another process fails a read instead of raising SIGBUS.
    if (size_ < kEndSize) return;
    std::uint8_t end[kEndSize];
    if (!source_->CopyOut(end, size_ - kEndSize, kEndSize) || U32(end) != kEndSignature) return;
    const std::uint64_t directorySize = U32(end + 12);
    const std::uint64_t directoryOffset = U32(end + 16);
    if (directoryOffset == kZip64Marker || directorySize == kZip64Marker) return;  // a zip64 archive
    if (directoryOffset + directorySize > size_ - kEndSize || directorySize == 0) return;

    // The fragment reaches to the end record, so that a last entry running past the
    // declared directory size is still read from inside the archive.
    RefPtr<CMemoryMappedFileFragment> directory(
        new CMemoryMappedFileFragment(source_.Get(), directoryOffset, size_ - kEndSize - directoryOffset));
    if (directory->HasError()) return;
    const std::uint8_t* bytes = directory->Data();
    const std::uint64_t available = directory->Size();
    Vector<const std::uint8_t*> entries;
    for (std::uint64_t walked = 0; walked < directorySize;) {
        if (available - walked < kEntrySize) return;
        const std::uint8_t* entry = bytes + walked;
        const std::uint16_t method = U16(entry + 10);
        if (U32(entry) != kEntrySignature || (method != 0 && method != 8)) return;
        const std::uint64_t length = kEntrySize + U16(entry + 28) + U16(entry + 30) + U16(entry + 32);
        if (available - walked < length) return;
        entries.PushBack(entry);
        walked += length;
    }
    directory_ = directory;
    entries_ = std::move(entries);
}

bool ZipArchive::GetEntryName(std::size_t index, String& name) const {
    if (index >= entries_.Size()) return false;
    const std::uint8_t* entry = Entry(index);
    const char* text = reinterpret_cast<const char*>(entry + kEntrySize);
    name.Assign(text, text + U16(entry + 28));
    return true;
}

std::int32_t ZipArchive::GetEntrySize(std::size_t index) const {
    return index < entries_.Size() ? static_cast<std::int32_t>(U32(Entry(index) + 24)) : 0;
}
std::uint32_t ZipArchive::GetEntryCompressedSize(std::size_t index) const {
    return index < entries_.Size() ? U32(Entry(index) + 20) : 0;
}
std::uint16_t ZipArchive::GetEntryMethod(std::size_t index) const {
    return index < entries_.Size() ? U16(Entry(index) + 10) : 0;
}
std::uint32_t ZipArchive::GetEntryAttributes(std::size_t index) const {
    return index < entries_.Size() ? U32(Entry(index) + 38) : 0;
}
std::uint32_t ZipArchive::GetEntryTime(std::size_t index) const {
    return index < entries_.Size() ? U32(Entry(index) + 12) : 0;
}

bool ZipArchive::ReadLocal(std::size_t index, LocalData& local) const {
    if (index >= entries_.Size()) return false;
    const std::uint8_t* entry = Entry(index);
    const std::uint64_t header = U32(entry + 42);
    // 0xFFFFFFFF in a size or an offset defers to a zip64 record, which this reader does not read.
    if (header == kZip64Marker || U32(entry + 20) == kZip64Marker || U32(entry + 24) == kZip64Marker) return false;
    std::uint8_t bytes[kLocalSize];
    if (header > size_ || size_ - header < kLocalSize || !source_->CopyOut(bytes, header, kLocalSize)) return false;
    const bool deferred = (U16(bytes + 6) & 8) != 0;
    local.method = U16(bytes + 8);
    local.headerCompressedSize = U32(bytes + 18);
    local.compressedSize = deferred ? U32(entry + 20) : U32(bytes + 18);
    local.uncompressedSize = deferred ? U32(entry + 24) : U32(bytes + 22);
    local.offset = header + kLocalSize + U16(bytes + 26) + U16(bytes + 28);
    if (local.compressedSize == kZip64Marker || local.uncompressedSize == kZip64Marker ||
        local.headerCompressedSize == kZip64Marker) {
        return false;
    }
    return local.offset <= size_;
}

RefPtr<CDataStream> ZipArchive::Inflate(std::uint64_t offset, std::uint64_t compressedSize, std::uint64_t size,
                                        RefPtr<MappedStream>& window) {
    if (compressedSize > size_ - offset) return nullptr;
    if (size > compressedSize * kMaxDeflateRatio + 64) return nullptr;
    RefPtr<CMemoryStream> stream(new CMemoryStream);
    if (!stream->Allocate(static_cast<std::size_t>(size))) return nullptr;
    RefPtr<IFileReader> reader = binary_->OpenInflater(offset, compressedSize, true, window);
    std::uint64_t done = 0;
    while (done < size) {
        const std::uint64_t left = size - done;
        const auto chunk = static_cast<std::uint32_t>(left < 0x40000000u ? left : 0x40000000u);
        const std::uint32_t got = reader->Read(stream->Data() + done, chunk);
        if (got == 0) break;
        done += got;
    }
    if (done != size) return nullptr;  // a short entry never hands out uninitialised bytes
    return RefPtr<CDataStream>(stream.Get());
}

RefPtr<CDataStream> ZipArchive::OpenEntry(std::size_t index) {
    std::lock_guard<std::mutex> guard(EntryLock());
    LocalData local {};
    if (!ReadLocal(index, local)) return nullptr;
    if (local.method != 0) return Inflate(local.offset, local.compressedSize, local.uncompressedSize, window_);
    // A stored entry's two sizes must agree; the mapped range is the one checked.
    if (local.compressedSize != local.uncompressedSize || local.uncompressedSize > size_ - local.offset) {
        return nullptr;
    }
    RefPtr<CMemoryMappedFileFragment> fragment(
        new CMemoryMappedFileFragment(source_.Get(), local.offset, local.uncompressedSize));
    if (fragment->HasError()) return nullptr;
    return RefPtr<CDataStream>(fragment.Get());
}

RefPtr<IFileReader> ZipArchive::OpenEntryReader(std::size_t index, RefPtr<MappedStream>* window) {
    RefPtr<MappedStream> temporary;
    RefPtr<MappedStream>& slot = window ? *window : temporary;
    LocalData local {};
    if (!ReadLocal(index, local)) return nullptr;
    const std::uint16_t method = GetEntryMethod(index);
    if (method == 0) return binary_->OpenInflater(local.offset, local.headerCompressedSize, false, slot);
    if (method != 8) return nullptr;
    RefPtr<CDataStream> inflated = Inflate(local.offset, GetEntryCompressedSize(index), U32(Entry(index) + 24), slot);
    if (!inflated) return nullptr;
    inflated->Rewind();
    return ZipReader<ZipMemoryStream>::Create(inflated.Get());
}

RefPtr<IRawFileReader> ZipArchive::OpenEntryRaw(std::size_t index, bool allowCompressed) {
    LocalData local {};
    if (!ReadLocal(index, local)) return nullptr;
    if (GetEntryMethod(index) != 0 && !allowCompressed) return nullptr;
    const std::uint64_t size = GetEntryCompressedSize(index);
    if (size > size_ - local.offset) return nullptr;
    RefPtr<MappedStream> window;
    return binary_->OpenRaw(local.offset, size, window);
}

std::int32_t ZipArchive::GetRevision() {
    if (revision_ != 0) return revision_;
    revision_ = -1;
    for (std::size_t i = 0; i < entries_.Size(); ++i) {
        const std::uint8_t* entry = Entry(i);
        if (U16(entry + 28) != 8 || StrUtil::Compare(reinterpret_cast<const char*>(entry + kEntrySize), "revision", 8)) {
            continue;
        }
        RefPtr<CDataStream> data = OpenEntry(i);
        if (data) {
            // The entry has no terminator of its own: parse a bounded, terminated copy.
            const std::size_t length = data->Size() < 64 ? data->Size() : 64;
            const char* text = reinterpret_cast<const char*>(data->Data());
            const String copy(text, text + length);
            bool ok = false;
            const int value = StrUtil::ParseInt(copy.CStr(), &ok);
            if (ok && !data->HasError()) revision_ = value;  // the bytes were really in the file
        }
        break;
    }
    return revision_;
}

}  // namespace NVFS
