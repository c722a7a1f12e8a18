#pragma once
// Reads a committed fixture below tests/ (the folder given by LAUNCHER_TEST_DATA).
#include <string>

// The file's bytes; empty when it cannot be read (the test then fails on its content).
std::string ReadTestDataFile(const std::string& testsFolder, const std::string& relativePath);
