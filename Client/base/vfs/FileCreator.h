#pragma once
// Creates, deletes and moves real files under a root and tells the file system about
// every path it touches, so that its next lookup tests the loose file again.
#include <cstddef>

#include "base/runtime/Event.h"
#include "base/vfs/IVFS.h"

namespace NVFS {

class IFileCreator : public RefCounter {
public:
    virtual RefPtr<CDataStream> CreateMapped(const FilePath& path) = 0;
    virtual RefPtr<IFileWriter> CreateCompressed(const FilePath& path) = 0;
    virtual bool Delete(const FilePath& path) = 0;
    virtual bool Move(const FilePath& from, const FilePath& to) = 0;
    virtual bool WriteWhole(const FilePath& path, const void* data, std::size_t size) = 0;
    virtual void ResolvePath(String& out, const FilePath& path) = 0;
    virtual int Reserved() { return 0; }

protected:
    ~IFileCreator() override = default;
};

class CWinFileCreator : public IFileCreator {
public:
    static RefPtr<CWinFileCreator> Create(const String& root);

    // A writable stream whose bytes replace the file when the stream is released (a
    // temporary file renamed over it), or null when the file cannot be created.
    RefPtr<CDataStream> CreateMapped(const FilePath& path) override;
    // A zlib packer over a new file, or null when the file cannot be created.
    RefPtr<IFileWriter> CreateCompressed(const FilePath& path) override;
    bool Delete(const FilePath& path) override;
    // Replaces an existing target.
    bool Move(const FilePath& from, const FilePath& to) override;
    // Writes size bytes as the file, whole or not at all (WriteFileReplacing: a temporary
    // file renamed over it, the old file kept on failure); the file system hears of the
    // path once the new file is in place. False when it could not be written.
    bool WriteWhole(const FilePath& path, const void* data, std::size_t size) override;
    void ResolvePath(String& out, const FilePath& path) override;

    Event<const String&> changed;

protected:
    explicit CWinFileCreator(const String& root) : root_(root) {}
    ~CWinFileCreator() override = default;

private:
    String root_;
};

}  // namespace NVFS
