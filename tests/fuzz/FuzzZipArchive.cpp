// The ZIP reader over memory archives: opening, every entry through every Open call,
// and the revision entry. Nothing may read outside the input.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/io/InflateReader.h"
#include "base/io/ZipArchive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> copy(data, data + size);  // exact bounds for the sanitizer
    RefPtr<NVFS::ZipArchive> archive(new NVFS::ZipArchive(String("fuzz"), copy.data(), copy.data() + copy.size()));
    std::uint8_t buffer[4096];
    RefPtr<MappedStream> window;
    const std::size_t count = archive->GetEntryCount() < 64 ? archive->GetEntryCount() : 64;
    for (std::size_t i = 0; i <= count; ++i) {
        String name;
        archive->GetEntryName(i, name);
        if (RefPtr<CDataStream> entry = archive->OpenEntry(i)) {
            while (entry->Read(buffer, sizeof buffer) == sizeof buffer) {}
        }
        if (RefPtr<IFileReader> reader = archive->OpenEntryReader(i, &window)) {
            for (int n = 0; n < 256 && reader->Read(buffer, sizeof buffer); ++n) {}
        }
        for (bool compressed : {false, true}) {
            if (RefPtr<IRawFileReader> raw = archive->OpenEntryRaw(i, compressed)) {
                raw->Seek(raw->Size() / 2);
                while (raw->Read(buffer, sizeof buffer)) {}
            }
        }
    }
    archive->GetRevision();
    return 0;
}
