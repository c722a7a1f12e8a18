#include "engine/torrent/TorrentSessionConfig.h"

#include "base/runtime/StrUtil.h"

void TorrentSessionConfig::SetSeedUrls(const String& text) {
    StringVector pieces;
    StrUtil::Split(text, String(";"), pieces);
    for (const String& piece : pieces) {
        if (!piece.IsEmpty()) seedUrls.PushBack(piece);
    }
}
