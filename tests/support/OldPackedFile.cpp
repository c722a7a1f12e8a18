#include "support/OldPackedFile.h"

#include <cstdint>

#include "support/ZipBuilder.h"

OldPackedFile::OldPackedFile(const std::string& folder, const std::string& key, const std::string& data) {
    ZipBuilder zip;
    ZipBuilder::Entry packed;
    packed.name = key;
    packed.data = data;
    packed.dosTime = 0x21210000;  // 1996
    zip.Add(packed);
    pack_ = zip.Build();
    vfs_ = NVFS::CWinVFS::Create(String(folder.c_str()), "", StringVector());
    const auto* begin = reinterpret_cast<const std::uint8_t*>(pack_.data());
    mounted_ = vfs_->MountPack(WideString(String("p.pak")), 0, begin, begin + pack_.size());
}
