#pragma once
// A modal dialog's nested main loop on the default main context. End may come before
// Run (the page ended the dialog while it was being set up): Run then returns at once.
#include <glib.h>

class ModalLoop {
public:
    ModalLoop() = default;
    ModalLoop(const ModalLoop&) = delete;
    ModalLoop& operator=(const ModalLoop&) = delete;
    ~ModalLoop();

    int Run();
    void End(int code);
    bool IsRunning() const { return loop_ != nullptr; }
    bool HasEnded() const { return ended_; }

private:
    GMainLoop* loop_ = nullptr;
    bool ended_ = false;
    int code_ = 0;
};
