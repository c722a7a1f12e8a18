#pragma once
// Line sinks of configuration files.
#include <cstdio>

#include "base/runtime/RefCounter.h"
#include "base/runtime/String.h"

namespace Config {

class ILineWriter : public RefCounter {
public:
    // Writes the line and its line end; false when it could not be written.
    virtual bool WriteLine(const WideString& line) = 0;
};

// Writes a new file beside the target: the UTF-8 byte-order mark, then each line in
// UTF-8 ending in CR LF. Commit flushes it to disk and renames it over the target;
// without a successful Commit the target stays as it was and the new file is removed.
class FileLineWriter : public ILineWriter {
public:
    static RefPtr<FileLineWriter> Create(const ::String& path);
    bool WriteLine(const WideString& line) override;
    bool Commit();

private:
    FileLineWriter(std::FILE* file, const ::String& target, const ::String& temporary);
    ~FileLineWriter() override;

    std::FILE* file_;
    ::String target_;
    ::String temporary_;
    bool failed_ = false;
};

}  // namespace Config
