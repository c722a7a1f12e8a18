#include "engine/gamedata/VersionFileBytes.h"

#include "base/io/FileStream.h"
#include "engine/gamedata/GameFile.h"

namespace Game {

VersionFileBytes::VersionFileBytes(const String& path) {
    // Only a regular file: a FIFO in its place must not block the loader.
    GameFile probe;
    if (!probe.Open(path)) return;
    stream_ = new CFileStream(path, false);
    open_ = !stream_->HasError() && stream_->IsReadable();
}

VersionFileBytes::~VersionFileBytes() {
    if (stream_) stream_->Close();
}

const std::uint8_t* VersionFileBytes::Data() const { return stream_ ? stream_->Data() : nullptr; }
std::size_t VersionFileBytes::Size() const { return stream_ ? stream_->Size() : 0; }
bool VersionFileBytes::Intact() const { return stream_ && !stream_->HasError(); }

}  // namespace Game
