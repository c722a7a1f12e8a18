#include "base/io/FindFiles.h"

#include "base/io/Path.h"

bool FindFiles::Start(const String& pattern) {
    Close();
    String generic;
    Path::ToForwardSlashes(generic, pattern);
    folder_ = Path::ParentPath(generic);
    mask_ = Path::FileName(generic);
    if (mask_.Equals("*.*")) mask_ = "*";
    dir_ = ::opendir(folder_.IsEmpty() ? "." : folder_.CStr());
    return Next();
}

bool FindFiles::Next() {
    while (dir_) {
        const dirent* entry = ::readdir(dir_);
        if (!entry) break;
        const char* name = entry->d_name;
        if ((name[0] == '.' && name[1] == 0) || (name[0] == '.' && name[1] == '.' && name[2] == 0)) continue;
        if (!Path::WildcardMatch(mask_.CStr(), name, false)) continue;
        name_ = name;
        // A name that vanished between readdir and stat is skipped.
        if (!Path::GetFileInfo(FullPath(), info_)) continue;
        return true;
    }
    Close();
    return false;
}

void FindFiles::Close() {
    if (dir_) ::closedir(dir_);
    dir_ = nullptr;
}
