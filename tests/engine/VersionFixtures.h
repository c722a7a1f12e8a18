#pragma once
// Helpers of the engine tests: game trees, version files made by the tool, the sample key.
#include <cstdint>
#include <string>
#include <vector>

#include "VersionFileWriter.h"
#include "support/FileBytes.h"
#include "support/versions/SignedVersions.h"
#include "base/runtime/RefCounter.h"
#include "base/runtime/Vector.h"
#include "engine/gamedata/IGameVersion.h"

// Runs the version_writer tool with the arguments; true on exit code 0.
bool RunVersionWriter(const std::vector<std::string>& arguments);
// Runs a program found on PATH (argv[0]); true on exit code 0.
bool RunProgram(std::vector<std::string> argv);


// Parses bytes as a version file of the format under the root, with the sample key.
RefPtr<Game::IGameVersion> ParseVersion(int format, const std::string& bytes, const std::string& root = "/nonexistent/",
                                        int mask = 0);
// Loads root + "Profiles/game.version" with the sample key.
RefPtr<Game::IGameVersion> LoadVersion(int format, const std::string& root, int mask = 0);

// A one-folder model with one file, easy to vary field by field.
VersionWriter::Model OneFileModel(const std::string& folder = "/bin/", const std::string& file = "a.dll");
