#include "base/io/BinaryArchive.h"

#include "base/io/InflateReader.h"
#include "base/io/RawReader.h"

MappedStream* BinaryArchive::WindowIn(RefPtr<MappedStream>& slot) {
    if (!slot || slot->Source() != source_.Get()) slot = new MappedStream(source_.Get());
    return slot.Get();
}

const std::uint8_t* BinaryArchive::MapWindow(RefPtr<MappedStream>& slot, std::uint64_t position) {
    MappedStream* window = WindowIn(slot);
    window->SetPosition(position);
    return window->Available() ? window->Current() : nullptr;
}

RefPtr<IFileReader> BinaryArchive::OpenInflater(std::uint64_t position, std::uint64_t compressedSize, bool raw,
                                                RefPtr<MappedStream>& window) {
    MappedStream* stream = WindowIn(window);  // before the reader's own new: one pending object at a time
    return RefPtr<IFileReader>(new ZipReader<MappedStream>(stream, position, compressedSize, raw));
}

RefPtr<IRawFileReader> BinaryArchive::OpenRaw(std::uint64_t position, std::uint64_t size,
                                              RefPtr<MappedStream>& window) {
    MappedStream* stream = WindowIn(window);
    return RefPtr<IRawFileReader>(new RawReader<MappedStream>(stream, position, size));
}
