#pragma once
// Random access to an archive's bytes: windows, inflaters and raw readers over ranges.
#include <cstdint>

#include "base/io/FileReader.h"
#include "base/io/FileSource.h"
#include "base/io/MappedStream.h"
#include "base/io/RawFileReader.h"

class IBinaryArchive : public RefCounter {
public:
    // Fills an empty slot (or one holding a window of another file) with a new window,
    // moves it to position and returns the byte there (null when outside the file).
    virtual const std::uint8_t* MapWindow(RefPtr<MappedStream>& slot, std::uint64_t position) = 0;
    virtual RefPtr<IFileReader> OpenInflater(std::uint64_t position, std::uint64_t compressedSize, bool raw,
                                             RefPtr<MappedStream>& window) = 0;
    virtual RefPtr<IRawFileReader> OpenRaw(std::uint64_t position, std::uint64_t size,
                                           RefPtr<MappedStream>& window) = 0;

protected:
    ~IBinaryArchive() override = default;
};

class BinaryArchive : public IBinaryArchive {
public:
    explicit BinaryArchive(FileSource* source) : source_(source) {}

    const std::uint8_t* MapWindow(RefPtr<MappedStream>& slot, std::uint64_t position) override;
    RefPtr<IFileReader> OpenInflater(std::uint64_t position, std::uint64_t compressedSize, bool raw,
                                     RefPtr<MappedStream>& window) override;
    RefPtr<IRawFileReader> OpenRaw(std::uint64_t position, std::uint64_t size, RefPtr<MappedStream>& window) override;

private:
    MappedStream* WindowIn(RefPtr<MappedStream>& slot);

    RefPtr<FileSource> source_;
};
