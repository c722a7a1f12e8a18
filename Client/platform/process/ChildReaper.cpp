#include "platform/process/ChildReaper.h"

#include <glib-unix.h>

#include <utility>

namespace {

gboolean OnChildEnded(gint, GIOCondition, gpointer data) {
    static_cast<ProcessHandle*>(data)->Poll();
    return G_SOURCE_REMOVE;
}

void DropHandle(gpointer data) { delete static_cast<ProcessHandle*>(data); }

}  // namespace

void ReapWhenEnded(ProcessHandle&& child) {
    if (child.Poll() != ProcessState::Running) return;
    auto* held = new ProcessHandle(std::move(child));
    g_unix_fd_add_full(G_PRIORITY_DEFAULT, held->Descriptor(), G_IO_IN, &OnChildEnded, held, &DropHandle);
}
