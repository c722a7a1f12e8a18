#pragma once
// Data resources compiled into the executable (the page archive, ResourceId::UiArchive).
#include "base/runtime/Vector.h"

// Copies the resource into buffer (resized to fit); false when there is no such id.
bool LoadResourceData(int id, ByteVector& buffer);
