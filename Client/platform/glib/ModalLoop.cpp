#include "platform/glib/ModalLoop.h"

ModalLoop::~ModalLoop() {
    if (loop_) g_main_loop_quit(loop_);
}

int ModalLoop::Run() {
    if (ended_ || loop_) return code_;
    loop_ = g_main_loop_new(nullptr, FALSE);
    g_main_loop_run(loop_);
    g_main_loop_unref(loop_);
    loop_ = nullptr;
    return code_;
}

void ModalLoop::End(int code) {
    if (ended_) return;
    ended_ = true;
    code_ = code;
    if (loop_) g_main_loop_quit(loop_);
}
