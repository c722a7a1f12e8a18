#include "base/io/MemoryMappedFile.h"

#include <cstdlib>

#include "platform/posix/FileMapping.h"
#include "platform/posix/MappingGuard.h"

void CMappedStream::Open(std::uint32_t mode) {
    state_ = StreamState{nullptr, 0, 0, 0, mode};
    const std::uint64_t size = FileSize();
    if (size == 0) return;
    if (size > static_cast<std::uint64_t>(PTRDIFF_MAX) / 2) {
        state_.flags |= StreamError;
        return;
    }
    std::uint8_t* view = MapView(static_cast<std::size_t>(size));
    if (!view) {
        state_.flags |= StreamError;
        return;
    }
    state_.start = view;
    state_.capacity = state_.size = static_cast<std::size_t>(size);
}

void CMappedStream::Remap(std::size_t, std::size_t newCapacity) {
    UnmapView(state_.start);
    state_.start = nullptr;
    if (state_.size != state_.capacity && !(state_.flags & StreamError)) SetFileSize(state_.size);
    std::uint8_t* view = newCapacity ? MapView(newCapacity) : nullptr;
    if (newCapacity && !view) {
        state_ = StreamState{nullptr, 0, 0, 0, state_.flags | StreamError};
        return;
    }
    state_.start = view;
    state_.capacity = newCapacity;
    if (state_.size > newCapacity) state_.size = newCapacity;
    if (state_.cursor > state_.size) state_.cursor = state_.size;
}

void CMappedStream::Flush() {
    if (!(state_.flags & StreamError)) FlushView(state_.start);
}

bool CMappedStream::Close() {
    if (closed_) return !(state_.flags & StreamError);
    closed_ = true;
    bool ok = !HasError();  // before the view and its damage flag go
    UnmapView(state_.start);
    if (state_.size != state_.capacity && ok) ok = SetFileSize(state_.size);
    state_ = StreamState{nullptr, 0, 0, 0, state_.flags | (ok ? 0u : StreamError)};
    return ok;
}

// ---- whole files

CMemoryMappedFile::CMemoryMappedFile(const String& path, FileSource::Mode mode) { OpenSource(path, mode); }

CMemoryMappedFile::CMemoryMappedFile(const WideString& path, FileSource::Mode mode) { OpenSource(String(path), mode); }

void CMemoryMappedFile::OpenSource(const String& path, FileSource::Mode mode) {
    source_ = new FileSource(path, mode);
    if (!source_->IsOpen()) {
        state_.flags = StreamError;
        return;
    }
    Open(mode == FileSource::Write ? (StreamReadable | StreamWritable) : StreamReadable);
}

CMemoryMappedFile::~CMemoryMappedFile() { Close(); }

std::uint64_t CMemoryMappedFile::FileSize() { return source_->Size(); }

bool CMemoryMappedFile::SetFileSize(std::uint64_t size) {
    return !(state_.flags & StreamWritable) || source_->SetSize(size);
}

std::uint8_t* CMemoryMappedFile::MapView(std::size_t size) {
    if (!source_->IsOpen() || size == 0) return nullptr;
    const bool writable = (state_.flags & StreamWritable) != 0;
    if (writable) {
        if (size > source_->Size() && !source_->SetSize(size)) return nullptr;
    } else if (size > source_->Size()) {
        return nullptr;  // a read-only view past the end of the file would fault
    }
    if (!writable && size <= kCopyLimit) {
        auto* copy = static_cast<std::uint8_t*>(std::malloc(size));
        if (!copy || !source_->CopyOut(copy, 0, size)) {
            std::free(copy);
            return nullptr;
        }
        copied_ = true;
        viewLength_ = size;
        return copy;
    }
    // Writable views need no guard: their blocks were reserved when the file grew.
    auto* view = writable ? static_cast<std::uint8_t*>(Posix::MapRange(source_->Fd(), 0, size, true))
                          : Posix::MapGuarded(source_->Fd(), 0, size, guard_);
    if (view) {
        copied_ = false;
        viewLength_ = size;
        state_.damaged = guard_;
    }
    return view;
}

void CMemoryMappedFile::UnmapView(std::uint8_t* address) {
    if (!address) return;
    if (copied_) {
        std::free(address);
    } else if (guard_) {
        Posix::UnmapGuarded(address, viewLength_, guard_);
    } else {
        Posix::UnmapRange(address, viewLength_);
    }
    guard_ = state_.damaged = nullptr;
    viewLength_ = 0;
}

bool CMemoryMappedFile::FlushView(std::uint8_t* address) {
    return copied_ || Posix::FlushRange(address, viewLength_);
}

bool CMemoryMappedFile::Finish() {
    const bool writable = (state_.flags & StreamWritable) != 0;
    bool ok = Close();
    if (ok && writable && source_->IsOpen()) ok = Posix::SyncFile(source_->Fd());
    return ok;
}

// ---- fragments

CMemoryMappedFileFragment::CMemoryMappedFileFragment(FileSource* source, std::uint64_t offset, std::uint64_t size)
    : source_(source), offset_(offset), size_(size) {
    const std::uint64_t total = source ? source->Size() : 0;
    if (!source || offset > total || size > total - offset) {
        size_ = 0;
        state_.flags = StreamError;
        return;
    }
    Open(StreamReadable);
}

CMemoryMappedFileFragment::~CMemoryMappedFileFragment() { Close(); }

std::uint8_t* CMemoryMappedFileFragment::MapView(std::size_t size) {
    if (size == 0 || size > size_) return nullptr;
    if (source_->HasMapping()) {
        const std::uint64_t aligned = offset_ / Posix::kMapGranularity * Posix::kMapGranularity;
        const std::size_t length = static_cast<std::size_t>(offset_ + size - aligned);
        std::uint8_t* base = Posix::MapGuarded(source_->Fd(), aligned, length, guard_);
        if (!base) return nullptr;
        viewBase_ = base;
        viewLength_ = length;
        viewOffset_ = aligned;
        copied_ = false;
        state_.damaged = guard_;
        return base + (offset_ - aligned);
    }
    auto* copy = static_cast<std::uint8_t*>(std::malloc(size));
    if (!copy || !source_->CopyOut(copy, offset_, size)) {
        std::free(copy);
        return nullptr;
    }
    copied_ = true;
    return copy;
}

void CMemoryMappedFileFragment::UnmapView(std::uint8_t* address) {
    if (!address) return;
    if (copied_) {
        std::free(address);
    } else {
        Posix::UnmapGuarded(viewBase_, viewLength_, guard_);
        guard_ = state_.damaged = nullptr;
        viewBase_ = nullptr;
        viewLength_ = 0;
    }
}

bool CMemoryMappedFileFragment::FlushView(std::uint8_t*) { return true; }
