#include "support/TempDir.h"

#include <sys/stat.h>

#include <stdexcept>

TempDir::TempDir() : path_(folder_.Path() + "/") {
    if (folder_.Path().empty()) throw std::runtime_error("mkdtemp failed");
}

long long TempDir::FileSize(const std::string& name) const {
    struct stat info {};
    return ::stat((path_ + name).c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : -1;
}
