#include "base/config/LineReader.h"

#include <unistd.h>

#include <cstring>

#include "base/runtime/StrUtil.h"
#include "platform/posix/RegularFile.h"

namespace Config {

RefPtr<FileLineReader> FileLineReader::Create(const ::String& path) {
    const int fd = Posix::OpenRegularFile(path.CStr(), Posix::Links::Follow);
    if (fd < 0) return nullptr;
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file) {
        ::close(fd);
        return nullptr;
    }
    return RefPtr<FileLineReader>(new FileLineReader(file));
}

FileLineReader::~FileLineReader() { std::fclose(file_); }

bool FileLineReader::ReadLine(bool& conversionFailed, WideString& line) {
    ::String bytes;
    bool any = false;
    int c;
    while (bytes.Length() < kMaxLineBytes && (c = std::getc(file_)) != EOF) {
        any = true;
        bytes.Append(static_cast<char>(c));
        if (c == '\n') break;
    }
    if (!any) return false;
    // A zero byte ends the text, as it would a C string.
    bytes.Resize(std::strlen(bytes.CStr()));
    StrUtil::StripBom(bytes);
    conversionFailed = !StrUtil::Utf8ToWide(line, bytes);
    return true;
}

}  // namespace Config
