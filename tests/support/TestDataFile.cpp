#include "support/TestDataFile.h"

#include <fstream>
#include <iterator>

std::string ReadTestDataFile(const std::string& testsFolder, const std::string& relativePath) {
    std::ifstream file(testsFolder + "/" + relativePath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}
