#pragma once
// Line sinks of configuration files.
#include <memory>

#include "base/runtime/RefCounter.h"
#include "base/runtime/String.h"

class FileReplacement;

namespace Config {

class ILineWriter : public RefCounter {
public:
    // Writes the line and its line end; false when it could not be written.
    virtual bool WriteLine(const WideString& line) = 0;
};

// Writes a new file beside the target: the UTF-8 byte-order mark, then each line in
// UTF-8 ending in CR LF. Commit puts it in place (platform/posix/FileMove.h: flushed,
// renamed over the target, a link there replaced rather than followed, the permission
// bits of a replaced regular file kept); without a successful Commit the target stays
// as it was and the new file is removed.
class FileLineWriter : public ILineWriter {
public:
    static RefPtr<FileLineWriter> Create(const ::String& path);
    bool WriteLine(const WideString& line) override;
    bool Commit();

private:
    explicit FileLineWriter(std::unique_ptr<FileReplacement> file);
    ~FileLineWriter() override;

    bool Write(const ::String& bytes);

    std::unique_ptr<FileReplacement> file_;
};

}  // namespace Config
