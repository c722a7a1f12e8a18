#pragma once
// A reader of ZIP archives ("packs"), from a file or a memory block. It finds the
// central directory only through an end record at size - 22 (so an archive with a
// comment has no entries), accepts stored and deflated entries, and hands entries out
// as streams. Every offset and length taken from the archive is checked against the
// archive's size in 64-bit arithmetic before it is used.
#include <cstdint>

#include "base/io/BinaryArchive.h"
#include "base/io/DataStream.h"
#include "base/io/FileReader.h"
#include "base/io/FileSource.h"
#include "base/io/MemoryMappedFile.h"
#include "base/io/RawFileReader.h"
#include "base/runtime/String.h"
#include "base/runtime/Vector.h"

namespace NVFS {

class ZipArchive : public RefCounter {
public:
    // With a memory block (which must outlive the archive) the path is ignored.
    ZipArchive(const String& path, const std::uint8_t* blockBegin = nullptr, const std::uint8_t* blockEnd = nullptr);
    ZipArchive(const WideString& path, const std::uint8_t* blockBegin = nullptr,
               const std::uint8_t* blockEnd = nullptr);

    std::size_t GetEntryCount() const { return entries_.Size(); }
    bool GetEntryName(std::size_t index, String& name) const;
    std::int32_t GetEntrySize(std::size_t index) const;
    std::uint32_t GetEntryCompressedSize(std::size_t index) const;
    std::uint16_t GetEntryMethod(std::size_t index) const;
    std::uint32_t GetEntryAttributes(std::size_t index) const;
    std::uint32_t GetEntryTime(std::size_t index) const;
    bool IsFolderEntry(std::size_t index) const { return (GetEntryAttributes(index) & 0x10) != 0; }

    // The entry's uncompressed bytes; null for a bad index, a range outside the archive,
    // sizes that disagree, or a damaged deflated entry (including one that comes out short).
    RefPtr<CDataStream> OpenEntry(std::size_t index);
    // An inflater of an entry whose content is itself a zlib stream.
    RefPtr<IFileReader> OpenEntryReader(std::size_t index, RefPtr<MappedStream>* window);
    // The entry's stored bytes; null for a deflated entry unless allowCompressed.
    RefPtr<IRawFileReader> OpenEntryRaw(std::size_t index, bool allowCompressed);
    // The number in the "revision" entry; -1 when there is none.
    std::int32_t GetRevision();

    std::uint64_t Size() const { return size_; }
    FileSource* Source() const { return source_.Get(); }

protected:
    ~ZipArchive() override = default;

private:
    struct LocalData {
        std::uint64_t offset;          // first byte of the entry's data
        std::uint64_t compressedSize;  // from the local header unless it defers to the directory
        std::uint64_t uncompressedSize;
        std::uint16_t method;
        std::uint64_t headerCompressedSize;  // offset 18 of the local header, whatever the flags
    };

    void Open();
    const std::uint8_t* Entry(std::size_t index) const { return entries_[index]; }
    bool ReadLocal(std::size_t index, LocalData& local) const;
    RefPtr<CDataStream> Inflate(std::uint64_t offset, std::uint64_t compressedSize, std::uint64_t size,
                                RefPtr<MappedStream>& window);

    Vector<const std::uint8_t*> entries_;
    RefPtr<FileSource> source_;
    RefPtr<CMemoryMappedFileFragment> directory_;
    std::uint64_t size_ = 0;
    RefPtr<BinaryArchive> binary_;
    RefPtr<MappedStream> window_;
    std::int32_t revision_ = 0;
};

}  // namespace NVFS
