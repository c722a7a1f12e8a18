// Untrusted configuration files through the loader: any bytes must load without
// fault, and what a save writes must load back to the same lines.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/config/GlobalRegistry.h"
#include "base/config/StorageLoader.h"
#include "base/runtime/StrUtil.h"

namespace {

Global::Group fuzzGroup = true;

// Collects the saved lines as the file would hold them.
class MemoryLineWriter : public Config::ILineWriter {
public:
    bool WriteLine(const WideString& line) override {
        String bytes = StrUtil::ToNarrow(line);
        lines.push_back(std::string(bytes.CStr(), bytes.Length()));
        return true;
    }
    std::vector<std::string> lines;
};

const std::string& ScratchFile() {
    static const std::string path = "/tmp/launcher-fuzz-config-" + std::to_string(getpid()) + ".cfg";
    static const bool cleanup = std::atexit([] { unlink(ScratchFile().c_str()); }) == 0;
    (void)cleanup;
    return path;
}

void WriteFile(const std::string& bytes) {
    std::FILE* file = std::fopen(ScratchFile().c_str(), "wb");
    if (!file) __builtin_trap();
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

// Loads the bytes with a fresh loader and returns the saved lines, sorted: a reload
// may list the keys of one table bucket in reverse order.
std::vector<std::string> LoadAndSave(const std::string& bytes) {
    WriteFile(bytes);
    StorageLoader loader(&fuzzGroup);
    loader.Load(ScratchFile().c_str());
    RefPtr<MemoryLineWriter> writer(new MemoryLineWriter);
    loader.SaveTo(*writer);
    std::sort(writer->lines.begin(), writer->lines.end());
    return writer->lines;
}

std::string AsFile(const std::vector<std::string>& lines) {
    std::string file = StrUtil::Utf8Bom().CStr();
    for (const std::string& line : lines) file += line + "\r\n";
    return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 200000) return 0;
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> first = LoadAndSave(input);
    for (const std::string& line : first) {
        // One key per line: a value can never carry a line end or a zero byte.
        if (line.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) __builtin_trap();
    }
    const std::vector<std::string> second = LoadAndSave(AsFile(first));
    const std::vector<std::string> third = LoadAndSave(AsFile(second));
    if (second != third) __builtin_trap();
    return 0;
}
