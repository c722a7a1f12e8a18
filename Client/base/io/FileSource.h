#pragma once
// The open file (or memory block) shared by mapped streams and the ZIP reader.
#include <cstdint>

#include "base/runtime/RefCounter.h"
#include "base/runtime/String.h"

// A counted holder of a file descriptor; closes it when the last holder goes.
class WinHandle : public RefCounter {
public:
    explicit WinHandle(int fd) : fd_(fd) {}
    int Fd() const { return fd_; }

protected:
    ~WinHandle() override;

private:
    int fd_;
};

class FileSource : public RefCounter {
public:
    enum Mode { Read = 0, Write = 1 };

    // Opens a file; IsOpen() tells whether it worked. Write creates a missing file
    // and sets its access and write times to now.
    FileSource(const String& path, Mode mode);
    // Wraps a memory block that the caller keeps alive longer than every stream over it.
    FileSource(const std::uint8_t* begin, const std::uint8_t* end);

    bool IsOpen() const { return handle_ || memoryBegin_; }
    bool IsMemory() const { return memoryBegin_ != nullptr; }
    bool IsWritable() const { return writable_; }
    int Fd() const { return handle_ ? handle_->Fd() : -1; }
    const std::uint8_t* Memory() const { return memoryBegin_; }
    std::uint64_t Size() const;
    bool SetSize(std::uint64_t size);

    // Whether views of this file may be mapped; without it fragments are copied.
    bool HasMapping() const { return mapping_; }
    bool CreateMapping() { return mapping_ = (handle_ != nullptr); }
    void CloseMapping() { mapping_ = false; }

    // Copies length bytes at offset; false unless the whole range lies in the source.
    bool CopyOut(void* destination, std::uint64_t offset, std::uint64_t length) const;

protected:
    ~FileSource() override = default;

private:
    RefPtr<WinHandle> handle_;
    const std::uint8_t* memoryBegin_ = nullptr;
    const std::uint8_t* memoryEnd_ = nullptr;
    bool writable_ = false;
    bool mapping_ = false;
};
