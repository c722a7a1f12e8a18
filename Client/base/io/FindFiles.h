#pragma once
// A wildcard search of one folder: "folder/mask", the mask matched without letter
// case ("*.*" matches every name). "." and ".." are never reported.
#include <dirent.h>

#include "base/io/FileInfo.h"
#include "base/runtime/String.h"

class FindFiles {
public:
    FindFiles() = default;
    explicit FindFiles(const String& pattern) { Start(pattern); }
    ~FindFiles() { Close(); }
    FindFiles(const FindFiles&) = delete;
    FindFiles& operator=(const FindFiles&) = delete;

    // Starts the search; false when nothing matches.
    bool Start(const String& pattern);
    // Moves to the next match; false (and closed) after the last one.
    bool Next();
    void Close();

    bool IsValid() const { return dir_ != nullptr; }
    const String& Name() const { return name_; }
    const String& Folder() const { return folder_; }
    String FullPath() const { return folder_ + name_; }
    const Path::FileInfo& Info() const { return info_; }
    bool IsDirectory() const { return info_.isDirectory; }
    bool IsHidden() const { return !name_.IsEmpty() && name_[0] == '.'; }

private:
    DIR* dir_ = nullptr;
    String folder_;  // with a trailing '/', empty for the current folder
    String mask_;
    String name_;
    Path::FileInfo info_;
};
