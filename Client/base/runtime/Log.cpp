#include "base/runtime/Log.h"

#include <boost/date_time/posix_time/posix_time.hpp>
#include <boost/filesystem.hpp>
#include <ext/stdio_filebuf.h>

#include "base/runtime/HashMap.h"
#include "base/runtime/StrUtil.h"
#include "platform/posix/FileMove.h"

// A file buffer over a descriptor opened close-on-exec, so that the game and the
// patch applier never inherit the launcher's logs.
struct StreamHelper::File {
    explicit File(int fd) : buffer(fd, std::ios::out) {}
    __gnu_cxx::stdio_filebuf<char> buffer;
};

StreamHelper::StreamHelper(const String& path) {
    // A new file renamed over the name: a link or a FIFO planted there is replaced,
    // never written through or waited on.
    const int fd = OpenFreshFileReplacing(path.Std(), 0644);
    if (fd >= 0) file_ = std::make_unique<File>(fd);
    stream_ = std::make_unique<std::ostream>(file_ ? &file_->buffer : nullptr);
}

StreamHelper::~StreamHelper() {
    stream_->flush();
    stream_.reset();
}

bool StreamHelper::IsOpen() const { return file_ && file_->buffer.is_open(); }

namespace {

String& LogFolder() {
    static String folder("../Personal/Logs/");
    return folder;
}

HashMap<WideString, RefPtr<StreamHelper>>& LogTable() {
    static HashMap<WideString, RefPtr<StreamHelper>> table(13);
    return table;
}

RefPtr<StreamHelper> OpenLog(const WideString& name) {
    if (LogFolder().IsEmpty()) return RefPtr<StreamHelper>();
    boost::system::error_code ignored;
    if (!boost::filesystem::is_directory(LogFolder().CStr(), ignored)) {
        boost::filesystem::create_directories(LogFolder().CStr(), ignored);
    }
    return RefPtr<StreamHelper>(new StreamHelper(LogFolder() + StrUtil::ToNarrow(name)));
}

}  // namespace

std::ostream* GetLog(const WideString& name) {
    auto& table = LogTable();
    auto* node = table.Find(name);
    // A log that failed to open stays in the table, so it is not retried.
    if (!node) node = table.Insert(name, OpenLog(name));
    if (!node->data || !node->data->IsOpen()) return nullptr;
    std::ostream& stream = node->data->Stream();
    // The default text of a time of day, "2013-May-28 17:45:02", in local time.
    stream << boost::posix_time::to_simple_string(boost::posix_time::second_clock::local_time()) << ": ";
    return &stream;
}

void SetLogFolder(const String& folder) { LogFolder() = folder; }
