#pragma once
// A stream over a file: a proxy that works on a copy of its inner stream's five state
// words and hands them back around every operation the inner stream must do itself.
//
// Write mode never touches the target until the end: the bytes go to a temporary file
// in the same folder, which replaces the target (rename) only when everything was
// written and flushed. A failed write leaves the old file as it was.
#include <memory>

#include "base/io/DataStream.h"
#include "base/io/MemoryMappedFile.h"
#include "base/runtime/String.h"

class FileReplacement;

namespace NVFS {
class IVFS;
struct FilePath;
}  // namespace NVFS

class CFileStream : public CDataStream {
public:
    // Opens the file through the file system; a missing file gives an empty stream in error.
    CFileStream(NVFS::IVFS* vfs, const NVFS::FilePath& path);
    // Write mode also creates the missing folders of the path.
    CFileStream(const String& path, bool write);
    CFileStream(const WideString& path, bool write);

    void Reallocate(std::size_t keep, std::size_t newCapacity) override;
    void Flush() override;

    // Ends the stream: a read stream lets go of its file, a write stream puts its
    // file in place. True when a written file is complete at its path.
    bool Close();

protected:
    ~CFileStream() override;

private:
    void OpenFile(const String& path, bool write);
    template <class Operation>
    void WithInner(Operation operation);

    RefPtr<CDataStream> inner_;
    std::unique_ptr<FileReplacement> replacement_;  // write mode: the new file on its way
    bool closed_ = false;
};

// Replaces the file at path with size bytes (see platform/posix/FileMove.h): the old
// file stays as it was unless every byte reached the disk, a link at path is replaced,
// not followed, and a replaced regular file keeps its permission bits. Missing folders
// are created.
bool WriteFileReplacing(const String& path, const void* data, std::size_t size);
