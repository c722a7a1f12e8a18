#include "base/config/LineWriter.h"

#include <cerrno>

#include "base/runtime/StrUtil.h"
#include "platform/posix/FileMapping.h"
#include "platform/posix/FileMove.h"

namespace Config {

RefPtr<FileLineWriter> FileLineWriter::Create(const ::String& path) {
    if (path.IsEmpty()) return nullptr;
    auto file = std::make_unique<FileReplacement>(path.Std(), ReplacedFileMode(path.Std(), 0644));
    if (file->Descriptor() < 0) return nullptr;
    RefPtr<FileLineWriter> writer(new FileLineWriter(std::move(file)));
    writer->Write(StrUtil::Utf8Bom());
    return writer;
}

FileLineWriter::FileLineWriter(std::unique_ptr<FileReplacement> file) : file_(std::move(file)) {}

FileLineWriter::~FileLineWriter() = default;

bool FileLineWriter::Write(const ::String& bytes) {
    if (!file_ || file_->Error() != 0) return false;
    errno = 0;
    if (Posix::WriteAll(file_->Descriptor(), bytes.CStr(), bytes.Length())) return true;
    file_->Fail(errno);
    return false;
}

bool FileLineWriter::WriteLine(const WideString& line) {
    ::String bytes = StrUtil::ToNarrow(line);
    bytes.Append("\r\n");
    return Write(bytes);
}

bool FileLineWriter::Commit() {
    if (!file_) return false;
    const bool committed = file_->Commit() == 0;
    file_.reset();
    return committed;
}

}  // namespace Config
