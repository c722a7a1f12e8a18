#include "base/io/FileStream.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "base/io/Path.h"
#include "base/vfs/IVFS.h"

CFileStream::CFileStream(NVFS::IVFS* vfs, const NVFS::FilePath& path) : CDataStream(StreamError) {
    if (vfs) inner_ = vfs->OpenMapped(path);
    if (inner_) state_ = inner_->State();
}

CFileStream::CFileStream(const String& path, bool write) : CDataStream(StreamError) {
    if (write) Path::CreateFolders(Path::ParentPath(path));
    OpenFile(path, write);
}

CFileStream::CFileStream(const WideString& path, bool write) : CDataStream(StreamError) {
    OpenFile(String(path), write);
}

void CFileStream::OpenFile(const String& path, bool write) {
    if (!write) {
        inner_ = new CMemoryMappedFile(path, FileSource::Read);
        if (!inner_->IsReadable()) inner_->SetError();
        state_ = inner_->State();
        return;
    }
    tempPath_ = Path::TempFileName(Path::ParentPath(path), (Path::Concat('.', Path::FileName(path)) + ".").CStr());
    if (tempPath_.IsEmpty()) return;  // stays in error: nothing was created
    targetPath_ = path;
    struct stat target {};
    ::chmod(tempPath_.CStr(), ::stat(path.CStr(), &target) == 0 ? (target.st_mode & 07777) : 0644);
    inner_ = new CMemoryMappedFile(tempPath_, FileSource::Write);
    StreamState inner = inner_->State();
    if (inner.flags & StreamWritable) {
        inner.size = inner.cursor;
    } else {
        inner.flags |= StreamError;
    }
    inner_->SetState(inner);
    state_ = inner;
}

template <class Operation>
void CFileStream::WithInner(Operation operation) {
    if (!inner_) return;
    inner_->SetState(state_);
    operation(*inner_);
    state_ = inner_->State();
}

void CFileStream::Reallocate(std::size_t keep, std::size_t newCapacity) {
    WithInner([&](CDataStream& inner) { inner.Reallocate(keep, newCapacity); });
}

void CFileStream::Flush() {
    WithInner([](CDataStream& inner) { inner.Flush(); });
}

bool CFileStream::Close() {
    if (closed_) return !HasError();
    closed_ = true;
    bool ok = !HasError();
    if (inner_) {
        inner_->SetState(state_);
        if (!tempPath_.IsEmpty()) ok = static_cast<CMemoryMappedFile*>(inner_.Get())->Finish() && ok;
        inner_.Reset();
    }
    if (!tempPath_.IsEmpty()) {
        if (ok) ok = std::rename(tempPath_.CStr(), targetPath_.CStr()) == 0;
        if (!ok) ::unlink(tempPath_.CStr());
    }
    state_ = StreamState{nullptr, 0, 0, 0, state_.flags | (ok ? 0u : StreamError)};
    return ok;
}

CFileStream::~CFileStream() { Close(); }

bool WriteFileReplacing(const String& path, const void* data, std::size_t size) {
    RefPtr<CFileStream> stream(new CFileStream(path, true));
    if (stream->HasError()) return false;
    if (size > 0 && !stream->Write(data, size)) {
        stream->SetError();  // the partial file goes, the old one stays
        stream->Close();
        return false;
    }
    stream->Flush();
    return stream->Close();
}
