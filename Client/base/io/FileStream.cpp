#include "base/io/FileStream.h"

#include <cerrno>

#include "base/io/Path.h"
#include "base/vfs/IVFS.h"
#include "platform/posix/FileMove.h"

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
    replacement_ = std::make_unique<FileReplacement>(path.Std(), ReplacedFileMode(path.Std(), 0644));
    if (replacement_->Descriptor() < 0) return;  // stays in error: nothing was created
    inner_ = new CMemoryMappedFile(String(replacement_->TemporaryPath().c_str()), FileSource::Write);
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
        if (replacement_) ok = static_cast<CMemoryMappedFile*>(inner_.Get())->Finish() && ok;
        inner_.Reset();
    }
    if (replacement_) {
        if (!ok) replacement_->Fail(EIO);
        ok = replacement_->Commit() == 0;
        replacement_.reset();
    }
    state_ = StreamState{nullptr, 0, 0, 0, state_.flags | (ok ? 0u : StreamError)};
    return ok;
}

CFileStream::~CFileStream() { Close(); }

bool WriteFileReplacing(const String& path, const void* data, std::size_t size) {
    Path::CreateFolders(Path::ParentPath(path));
    return ReplaceFileWithBytes(path.Std(), data, size, ReplacedFileMode(path.Std(), 0644)) == 0;
}
