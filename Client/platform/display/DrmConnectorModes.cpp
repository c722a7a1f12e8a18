#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "platform/display/DisplayModeSource.h"

namespace {

// A sysfs attribute is a few lines; anything longer is not one.
constexpr std::size_t kMaxAttributeBytes = 64 * 1024;

std::string ReadAttribute(const std::filesystem::path& path) {
    std::ifstream file(path);
    std::string text(kMaxAttributeBytes, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(file.gcount()));
    return text;
}

// Connector folders are named "card0-HDMI-A-1"; the card folders themselves have no '-'.
std::vector<std::filesystem::path> ConnectorFolders(const std::string& classFolder) {
    std::vector<std::filesystem::path> folders;
    std::error_code error;
    for (std::filesystem::directory_iterator it(classFolder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.rfind("card", 0) == 0 && name.find('-') != std::string::npos) folders.push_back(it->path());
    }
    std::sort(folders.begin(), folders.end());
    return folders;
}

}  // namespace

bool ParseModeName(const std::string& line, ScreenSize& size) {
    const char* begin = line.data();
    const char* end = begin + line.size();
    int width = 0, height = 0;
    auto [afterWidth, widthError] = std::from_chars(begin, end, width);
    if (widthError != std::errc() || afterWidth == begin || afterWidth == end || *afterWidth != 'x') return false;
    auto [afterHeight, heightError] = std::from_chars(afterWidth + 1, end, height);
    if (heightError != std::errc() || afterHeight == afterWidth + 1 || width <= 0 || height <= 0) return false;
    size = {width, height};
    return true;
}

std::vector<ScreenSize> DrmConnectorModes::Modes() {
    for (const std::filesystem::path& folder : ConnectorFolders(classFolder_)) {
        std::string status = ReadAttribute(folder / "status");
        if (status.rfind("connected", 0) != 0) continue;
        std::vector<ScreenSize> modes;
        std::istringstream lines(ReadAttribute(folder / "modes"));
        std::string line;
        ScreenSize size;
        while (std::getline(lines, line))
            if (ParseModeName(line, size)) modes.push_back(size);
        return modes;
    }
    return {};
}
