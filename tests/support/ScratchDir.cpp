#include "support/ScratchDir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <boost/filesystem.hpp>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

ScratchDir::ScratchDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/launcher-test-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data())) path_ = buffer.data();
}

ScratchDir::~ScratchDir() {
    if (path_.empty()) return;
    boost::system::error_code ignored;
    boost::filesystem::remove_all(path_, ignored);
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    boost::system::error_code ignored;
    boost::filesystem::create_directories(boost::filesystem::path(path).parent_path(), ignored);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExistsAt(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}
