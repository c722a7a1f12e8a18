#pragma once
// Line sources of configuration files.
#include <cstdio>

#include "base/runtime/RefCounter.h"
#include "base/runtime/String.h"

namespace Config {

class ILineReader : public RefCounter {
public:
    // False at the end of the input. conversionFailed is set when the line was not
    // valid UTF-8; the line then holds the text before the first invalid sequence.
    virtual bool ReadLine(bool& conversionFailed, WideString& line) = 0;
};

// Reads a file in binary mode, at most 65535 bytes per line (a longer line comes in
// several parts). A zero byte ends a line's text; a byte-order mark at the start of a
// line is dropped. CR of CR LF stays at the line's end, for the caller's right trim.
class FileLineReader : public ILineReader {
public:
    static constexpr std::size_t kMaxLineBytes = 65535;

    static RefPtr<FileLineReader> Create(const ::String& path);
    bool ReadLine(bool& conversionFailed, WideString& line) override;

private:
    explicit FileLineReader(std::FILE* file) : file_(file) {}
    ~FileLineReader() override;

    std::FILE* file_;
};

}  // namespace Config
