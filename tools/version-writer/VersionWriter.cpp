// version_writer: writes a version file describing a game tree.
//   version_writer --root DIR --out FILE [--format 4|5] [--version TEXT] [--flags N]
//                  [--flag REL=N]... [--exclude REL]... [--level 0-9] [--key PRIVATE.der]
// The output file is left out of the description when it lies inside the tree.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "GameTreeScan.h"
#include "VersionFileWriter.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: version_writer --root DIR --out FILE [--format 4|5] [--version TEXT] [--flags N]\n"
                 "                      [--flag REL=N]... [--exclude REL]... [--level 0-9] [--key PRIVATE.der]\n");
    return 2;
}

bool ParseNumber(const std::string& text, int low, int high, int& out) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 0);
    if (text.empty() || *end != '\0' || value < low || value > high) return false;
    out = static_cast<int>(value);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::string root, out, version = "1.0.0", keyPath = SAMPLE_VERSION_PRIVATE_KEY;
    int format = 5, level = 9, flags = 3;
    VersionWriter::ScanOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc) return Usage();
        const std::string value = argv[++i];
        int number = 0;
        if (option == "--root") {
            root = value;
        } else if (option == "--out") {
            out = value;
        } else if (option == "--version") {
            version = value;
        } else if (option == "--key") {
            keyPath = value;
        } else if (option == "--exclude") {
            options.excluded.push_back(value);
        } else if (option == "--format" && ParseNumber(value, 4, 5, format)) {
        } else if (option == "--level" && ParseNumber(value, 0, 9, level)) {
        } else if (option == "--flags" && ParseNumber(value, 0, 255, flags)) {
        } else if (option == "--flag" && value.find('=') != std::string::npos &&
                   ParseNumber(value.substr(value.find('=') + 1), 0, 255, number)) {
            options.flagsByPath[value.substr(0, value.find('='))] = static_cast<std::uint8_t>(number);
        } else {
            return Usage();
        }
    }
    if (root.empty() || out.empty()) return Usage();
    options.defaultFlags = static_cast<std::uint8_t>(flags);
    std::error_code error;
    const auto outRelative = std::filesystem::relative(out, root, error);
    if (!error && !outRelative.empty() && outRelative.native().rfind("..", 0) != 0) {
        options.excluded.push_back(outRelative.generic_string());
    }

    VersionWriter::Model model;
    model.version = version;
    if (!VersionWriter::ScanTree(root, options, model)) {
        std::fprintf(stderr, "version_writer: cannot read the tree %s\n", root.c_str());
        return 1;
    }
    std::string key;
    if (format == 5 && !VersionWriter::ReadFile(keyPath, key)) {
        std::fprintf(stderr, "version_writer: cannot read the key %s\n", keyPath.c_str());
        return 1;
    }
    const std::string bytes = VersionWriter::Compose(model, format, level, key);
    const auto parent = std::filesystem::path(out).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, error);
    if (bytes.empty() || !VersionWriter::WriteFile(out, bytes)) {
        std::fprintf(stderr, "version_writer: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
