// The wake-up as an eventfd watched by a GLib source of the default main context.
#include <glib-unix.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

#include "platform/UiWakeup.h"

namespace {

class GlibUiWakeup final : public UiWakeup {
public:
    GlibUiWakeup(int fd, std::function<void()> callback) : fd_(fd), callback_(std::move(callback)) {
        source_ = g_unix_fd_add(fd_, G_IO_IN, &GlibUiWakeup::OnReadable, this);
    }
    ~GlibUiWakeup() override {
        if (source_) g_source_remove(source_);
        ::close(fd_);
    }

    void Notify() override {
        const std::uint64_t one = 1;
        // A full counter already wakes the loop: a failed write loses nothing.
        [[maybe_unused]] const ssize_t written = ::write(fd_, &one, sizeof one);
    }

    bool Armed() const { return source_ != 0; }

private:
    static gboolean OnReadable(gint fd, GIOCondition, gpointer data) {
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t read = ::read(fd, &count, sizeof count);
        // The callback may end this object (its owner lets go): it runs from a copy,
        // and nothing of the object is touched after it.
        const std::function<void()> callback = static_cast<GlibUiWakeup*>(data)->callback_;
        callback();
        return G_SOURCE_CONTINUE;
    }

    int fd_;
    std::function<void()> callback_;
    guint source_ = 0;
};

}  // namespace

std::shared_ptr<UiWakeup> MakeUiWakeup(std::function<void()> callback) {
    if (!callback) return nullptr;
    const int fd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (fd < 0) return nullptr;
    auto wakeup = std::make_shared<GlibUiWakeup>(fd, std::move(callback));
    return wakeup->Armed() ? wakeup : nullptr;
}
