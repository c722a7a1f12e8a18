#include "workflow/launcherupdate/LauncherTree.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/posix/RegularFile.h"
#include "platform/posix/TreeDeletion.h"

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The last component and the one before it, ignoring trailing '/'.
std::string LastName(const std::string& path, std::string* parent = nullptr) {
    std::size_t end = path.find_last_not_of('/');
    if (end == std::string::npos) return std::string();
    const std::size_t slash = path.rfind('/', end);
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    if (parent) *parent = slash == std::string::npos ? std::string() : LastName(path.substr(0, slash));
    return path.substr(start, end + 1 - start);
}

std::string Child(const std::string& folder, const std::string& name) {
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

}  // namespace

bool IsProtectedFolder(const std::string& path) {
    std::string parent;
    const std::string name = Lower(LastName(path, &parent));
    if (name.find("personal") != std::string::npos) return true;
    return name.find("mods") != std::string::npos && Lower(parent).find("data") != std::string::npos;
}

bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
    entries.clear();
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return false;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        bool directory = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat info {};
            directory = ::lstat(Child(folder, name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        }
        entries.push_back({name, directory});
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return true;
}

bool TestFile(const std::string& path, std::vector<std::string>& locked) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        if (errno == ENOENT) return true;  // gone already: nothing to replace
        locked.push_back(path);
        return false;
    }
    if (!S_ISREG(info.st_mode)) return true;
    // The mode changes through a descriptor of the file itself: a link swapped in since
    // the look above is not followed.
    if ((info.st_mode & S_IWUSR) == 0) {
        const int file = Posix::OpenRegularFile(path.c_str(), Posix::Links::Refuse, &info);
        if (file >= 0) {
            if ((info.st_mode & S_IWUSR) == 0) ::fchmod(file, (info.st_mode & 07777) | S_IWUSR);
            ::close(file);
        }
    }
    // Opening for writing without truncating: a running executable answers ETXTBSY.
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        return true;
    }
    locked.push_back(path);
    return false;
}

bool TestTree(const std::string& folder, std::vector<std::string>& locked) {
    if (IsProtectedFolder(folder)) return true;
    std::vector<FolderEntry> entries;
    if (!ListFolder(folder, entries)) {
        locked.push_back(folder);
        return false;
    }
    bool passed = true;
    for (const FolderEntry& entry : entries) {
        const std::string path = Child(folder, entry.name);
        if (!(entry.directory ? TestTree(path, locked) : TestFile(path, locked))) passed = false;
    }
    return passed;
}

bool DeleteTree(const std::string& folder) { return Posix::DeleteTree(folder, IsProtectedFolder); }
