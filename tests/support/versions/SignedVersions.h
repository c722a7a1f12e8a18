#pragma once
// Version files signed with the sample key pair under tools/version-keys, for tests.
#include <cstdint>
#include <string>

#include "VersionFileWriter.h"
#include "base/runtime/Vector.h"
#include "engine/gamedata/GameFolder.h"

std::string SamplePrivateKey();
ByteVector SamplePublicKey();
// True when the program checks signed version files against the sample key; tests
// that go through the built-in key skip otherwise.
bool BuiltInKeyIsSample();

// A version-file entry for a file of these bytes, hashes filled in.
VersionWriter::FileEntry ListedFile(const std::string& name, const std::string& bytes, std::uint8_t flags = 3);
// The "ver5" record of a file of these bytes, as the loader makes it from a version file.
RefPtr<Game::GameFolder::Content> VersionRecord(const std::string& bytes);
// The whole "ver5" file of the model, signed with the sample key.
std::string SignedVersionFile(const VersionWriter::Model& model);
