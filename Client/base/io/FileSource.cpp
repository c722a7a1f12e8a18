#include "base/io/FileSource.h"

#include <cstring>

#include "platform/posix/FileMapping.h"

WinHandle::~WinHandle() { Posix::CloseFile(fd_); }

FileSource::FileSource(const String& path, Mode mode) : writable_(mode == Write) {
    const int fd = Posix::OpenFile(path.CStr(), writable_);
    if (fd < 0) return;
    handle_ = new WinHandle(fd);
    if (writable_) Posix::TouchFile(fd);
}

FileSource::FileSource(const std::uint8_t* begin, const std::uint8_t* end) {
    static const std::uint8_t empty = 0;
    memoryBegin_ = begin ? begin : &empty;
    memoryEnd_ = begin ? end : &empty;
}

std::uint64_t FileSource::Size() const {
    if (memoryBegin_) return static_cast<std::uint64_t>(memoryEnd_ - memoryBegin_);
    const std::int64_t size = handle_ ? Posix::FileSize(handle_->Fd()) : -1;
    return size < 0 ? 0 : static_cast<std::uint64_t>(size);
}

bool FileSource::SetSize(std::uint64_t size) { return writable_ && handle_ && Posix::ResizeFile(Fd(), size); }

bool FileSource::CopyOut(void* destination, std::uint64_t offset, std::uint64_t length) const {
    const std::uint64_t size = Size();
    if (offset > size || length > size - offset) return false;
    if (length == 0) return true;
    if (memoryBegin_) {
        std::memcpy(destination, memoryBegin_ + offset, static_cast<std::size_t>(length));
        return true;
    }
    return handle_ && Posix::ReadAt(Fd(), destination, static_cast<std::size_t>(length), offset) ==
                          static_cast<std::int64_t>(length);
}
