#include "support/ScopedTempFolder.h"

#include <cstdlib>
#include <filesystem>

ScopedTempFolder::ScopedTempFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/launcher-test-XXXXXX";
    if (::mkdtemp(pattern.data())) path_ = pattern;
}

ScopedTempFolder::~ScopedTempFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}
