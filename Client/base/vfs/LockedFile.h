#pragma once
// Real files handed out for entries: a loose file's own path, or a temporary copy of a
// pack entry that is deleted when the last holder lets go.
#include "base/vfs/IVFS.h"

namespace NVFS {

class LockedFile : public ILockedFile {
public:
    explicit LockedFile(const String& path) : path_(path) {}
    String GetPath() const override { return path_; }

private:
    String path_;
};

class TemporaryFile : public ILockedFile {
public:
    explicit TemporaryFile(const String& path) : path_(path) {}
    String GetPath() const override { return path_; }

    // Writes the stream's data to a new "gam" file in the temporary folder; null (and
    // nothing left behind) when either side fails.
    static RefPtr<ILockedFile> Extract(CDataStream* data);

protected:
    ~TemporaryFile() override;

private:
    String path_;
};

}  // namespace NVFS
