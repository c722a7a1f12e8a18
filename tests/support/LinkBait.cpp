#include "support/LinkBait.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <system_error>

#include "support/FileBytes.h"

LinkBait::LinkBait(const std::string& outside, const std::string& link, const std::string& bait)
    : outside_(outside), link_(link), bait_(bait) {
    WriteWholeFile(outside, bait);
    ::chmod(outside.c_str(), 0600);
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(link).parent_path(), ignored);
    ::unlink(link.c_str());
    ::symlink(outside.c_str(), link.c_str());
}

bool LinkBait::Untouched() const {
    struct stat info {};
    return ReadWholeFile(outside_) == bait_ && ::stat(outside_.c_str(), &info) == 0 && (info.st_mode & 07777) == 0600;
}

bool LinkBait::ReplacedByAFile() const {
    struct stat info {};
    return ::lstat(link_.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool LinkBait::LeftAlone() const {
    char target[PATH_MAX];
    const ssize_t length = ::readlink(link_.c_str(), target, sizeof target);
    return length > 0 && std::string(target, static_cast<std::size_t>(length)) == outside_;
}
