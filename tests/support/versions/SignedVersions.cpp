#include "support/versions/SignedVersions.h"

#include <cstring>

#include "engine/gamedata/BuiltInKey.h"

namespace {

const std::string kKeyFolder = std::string(LAUNCHER_TEST_DATA) + "/../tools/version-keys/";

std::string ReadKey(const char* name) {
    std::string bytes;
    VersionWriter::ReadFile(kKeyFolder + name, bytes);
    return bytes;
}

}  // namespace

std::string SamplePrivateKey() { return ReadKey("sample-private.der"); }

ByteVector SamplePublicKey() {
    const std::string key = ReadKey("sample-public.der");
    ByteVector out;
    out.Append(key.data(), key.size());
    return out;
}

bool BuiltInKeyIsSample() {
    return ReadKey("sample-public.der") ==
           std::string(reinterpret_cast<const char*>(Game::BuiltInKey()), Game::BuiltInKeyLength());
}

VersionWriter::FileEntry ListedFile(const std::string& name, const std::string& bytes, std::uint8_t flags) {
    VersionWriter::FileEntry entry;
    entry.name = name;
    entry.flags = flags;
    VersionWriter::FillHashes(bytes, entry);
    return entry;
}

RefPtr<Game::GameFolder::Content> VersionRecord(const std::string& bytes) {
    const VersionWriter::FileEntry entry = ListedFile("", bytes);
    RefPtr<Game::Content5> record(new Game::Content5());
    record->size = entry.size;
    record->SetFlags(entry.flags);
    std::memcpy(record->fullMd5, entry.md5, sizeof record->fullMd5);
    std::memcpy(record->quickMd5, entry.quickMd5, sizeof record->quickMd5);
    return RefPtr<Game::GameFolder::Content>(record.Get());
}

std::string SignedVersionFile(const VersionWriter::Model& model) {
    return VersionWriter::Compose(model, 5, 9, SamplePrivateKey());
}
