#include "shell/resources/ResourceData.h"

#include <cstddef>

#include "shell/resources/StringIds.h"

extern const unsigned char kEmbeddedUiArchive[];
extern const std::size_t kEmbeddedUiArchive_size;

bool LoadResourceData(int id, ByteVector& buffer) {
    if (id != ResourceId::UiArchive) return false;
    buffer.Clear();
    buffer.Append(kEmbeddedUiArchive, kEmbeddedUiArchive_size);
    return true;
}
