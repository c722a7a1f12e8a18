#include "platform/headless/HeadlessDialogWindow.h"

#include <utility>

HeadlessDialogWindow::HeadlessDialogWindow(std::shared_ptr<const UriSchemeMap> schemes,
                                           std::shared_ptr<IFakePage> page, std::vector<MonitorRect> monitors)
    : page_(std::move(schemes), std::move(page)), monitors_(std::move(monitors)) {}

void HeadlessDialogWindow::SetClientSize(int width, int height) {
    if (width <= 0 || height <= 0) return;
    width_ = width;
    height_ = height;
}

bool HeadlessDialogWindow::GetPosition(int& x, int& y) const {
    x = x_;
    y = y_;
    return true;
}

void HeadlessDialogWindow::Move(int x, int y) {
    x_ = x;
    y_ = y;
    if (listener_) listener_->OnMoved(x, y);
}

bool HeadlessDialogWindow::IsOnSomeMonitor(int x, int y) const {
    for (const MonitorRect& m : monitors_) {
        if (x >= m.x && x < m.x + m.width && y >= m.y && y < m.y + m.height) return true;
    }
    return false;
}

void HeadlessDialogWindow::Iconify() {
    iconified_ = true;
    if (listener_) listener_->OnActivationChanged(active_, true);
}

void HeadlessDialogWindow::Present() {
    iconified_ = false;
    shown_ = true;
    SetActive(true);
}

void HeadlessDialogWindow::SetActive(bool active) {
    active_ = active;
    if (listener_) listener_->OnActivationChanged(active_, iconified_);
}

int HeadlessDialogWindow::RunModal() {
    shown_ = true;
    const int code = loop_.Run();
    shown_ = false;
    return code;
}

void HeadlessDialogWindow::RequestClose() {
    if (listener_) listener_->OnCloseRequest();
}

void HeadlessDialogWindow::RequestCancel() {
    if (listener_) listener_->OnCancelRequest();
}
