#include "workflow/game/ProjectId.h"

#include "base/io/ZipArchive.h"
#include "base/runtime/StrUtil.h"

namespace {

constexpr char kEntryName[] = "Version/VantryInfo.bin";

}  // namespace

int ReadProjectId(const String& packPath) {
    RefPtr<NVFS::ZipArchive> pack(new NVFS::ZipArchive(packPath));
    for (std::size_t i = 0; i < pack->GetEntryCount(); ++i) {
        String name;
        if (!pack->GetEntryName(i, name) || name.View() != kEntryName) continue;
        const std::int32_t size = pack->GetEntrySize(i);
        if (size < 0 || size > kMaxProjectIdEntry) return 0;
        RefPtr<CDataStream> entry = pack->OpenEntry(i);
        if (!entry) return 0;
        const String text(reinterpret_cast<const char*>(entry->Data()),
                          reinterpret_cast<const char*>(entry->Data()) + entry->Size());
        if (entry->HasError()) return 0;  // the pack was cut short while it was read
        bool ok = false;
        const int id = StrUtil::ParseDec(StrUtil::ReplaceAll(text, String("#"), String("")).CStr(), &ok);
        return ok ? id : 0;
    }
    return 0;
}
