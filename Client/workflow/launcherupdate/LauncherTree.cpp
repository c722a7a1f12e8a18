#include "workflow/launcherupdate/LauncherTree.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/posix/FileMapping.h"

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
    if ((info.st_mode & S_IWUSR) == 0) ::chmod(path.c_str(), (info.st_mode & 07777) | S_IWUSR);
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

bool DeleteTree(const std::string& folder) {
    // Whatever a caller checked, the root of everything is never emptied.
    if (folder.empty() || folder.find_first_not_of('/') == std::string::npos) return false;
    if (IsProtectedFolder(folder)) return true;
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0) return errno == ENOENT;
    if (!S_ISDIR(info.st_mode)) return ::unlink(folder.c_str()) == 0;
    // Entries of a folder can only go when the folder is writable and searchable.
    if ((info.st_mode & S_IRWXU) != S_IRWXU) ::chmod(folder.c_str(), (info.st_mode & 07777) | S_IRWXU);
    std::vector<FolderEntry> entries;
    if (!ListFolder(folder, entries)) return false;
    bool deleted = true;
    for (const FolderEntry& entry : entries) {
        const std::string path = Child(folder, entry.name);
        deleted = entry.directory ? DeleteTree(path) : ::unlink(path.c_str()) == 0;
        if (!deleted) break;
    }
    ::rmdir(folder.c_str());  // fails while a kept folder is inside: that is expected
    return deleted;
}

bool ReplaceWithCopy(const std::string& source, const std::string& target) {
    const int from = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (from < 0) return false;
    struct stat info {};
    if (::fstat(from, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(from);
        return false;
    }
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    std::string temp = folder + "." + LastName(target) + ".XXXXXX";
    const int to = ::mkostemp(temp.data(), O_CLOEXEC);
    if (to < 0) {
        ::close(from);
        return false;
    }
    bool ok = Posix::CopyAll(from, to);
    ok = ::fchmod(to, (info.st_mode & 0777) | S_IRUSR | S_IWUSR) == 0 && ok;
    ok = ::fsync(to) == 0 && ok;
    ok = ::close(to) == 0 && ok;
    ::close(from);
    if (ok) ok = ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    return ok;
}
