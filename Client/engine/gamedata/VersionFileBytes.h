#pragma once
// The whole of a version file in memory, read through the stream layer.
#include "base/runtime/RefCounter.h"
#include "base/runtime/String.h"

class CFileStream;

namespace Game {

class VersionFileBytes {
public:
    explicit VersionFileBytes(const String& path);
    ~VersionFileBytes();

    bool IsOpen() const { return open_; }
    // False once the file was found cut short under its mapping; checked after parsing.
    bool Intact() const;
    const std::uint8_t* Data() const;
    std::size_t Size() const;

private:
    RefPtr<CFileStream> stream_;
    bool open_ = false;
};

}  // namespace Game
