#pragma once
// Log files under "../Personal/Logs/" (relative to the program's folder). A log is
// truncated the first time a run asks for it and stays open until exit; every
// GetLog call starts a line with the local time and ": ". Text is UTF-8.
#include <memory>
#include <ostream>

#include "base/runtime/RefCounter.h"
#include "base/runtime/String.h"

// Owns one output file stream.
class StreamHelper : public RefCounter {
public:
    // Opens a new empty file for output at path, replacing what was there.
    explicit StreamHelper(const String& path);
    ~StreamHelper() override;

    bool IsOpen() const;
    std::ostream& Stream() { return *stream_; }

private:
    struct File;
    std::unique_ptr<File> file_;
    std::unique_ptr<std::ostream> stream_;
};

// The stream of the named log, positioned after a fresh time prefix; null when the
// log could not be opened (then for the rest of the run). The caller writes the rest
// of the line, including its end. UI thread only.
std::ostream* GetLog(const WideString& name);

// Moves the logs not yet opened to another folder (ending in '/'); "" switches them
// off. UI thread only, before the first log is asked for.
void SetLogFolder(const String& folder);
