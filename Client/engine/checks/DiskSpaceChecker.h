#pragma once
// Whether the file system that holds a folder has room for some bytes. The folder need
// not exist yet: the nearest folder above it that does is measured, with the bytes an
// unprivileged writer may still use (the root reserve does not count).
#include <cstdint>
#include <functional>

#include "base/runtime/RefCounter.h"
#include "base/runtime/String.h"

class IDiskSpaceChecker : public RefCounter {
public:
    // True when more than bytes are free.
    virtual bool HasFreeSpace(double bytes) const = 0;

protected:
    ~IDiskSpaceChecker() override = default;
};

class DiskSpaceChecker final : public IDiskSpaceChecker {
public:
    // The free bytes for an existing folder; false when it cannot be measured.
    using FreeBytes = std::function<bool(const String& folder, std::uint64_t& freeBytes)>;

    // path is made absolute against the current folder; free measures (statvfs by default).
    static RefPtr<DiskSpaceChecker> Create(const WideString& path, FreeBytes free = MeasureFreeBytes);

    bool HasFreeSpace(double bytes) const override;

    // statvfs: available blocks times the fragment size.
    static bool MeasureFreeBytes(const String& folder, std::uint64_t& freeBytes);

private:
    DiskSpaceChecker(const String& path, FreeBytes free) : path_(path), free_(std::move(free)) {}
    ~DiskSpaceChecker() override = default;

    String path_;
    FreeBytes free_;
};

// The complete form of a path, against the current folder; empty when there is none.
WideString MakeLongPath(const WideString& path);
