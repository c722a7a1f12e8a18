#pragma once
// A dialog window without a display: it keeps what the shell sets so that tests can
// read it back, and runs its modal loop like the real one.
#include <memory>
#include <string>
#include <vector>

#include "platform/glib/ModalLoop.h"
#include "platform/headless/HeadlessPageView.h"
#include "platform/ui/DialogWindow.h"

struct MonitorRect {
    int x, y, width, height;
};

class HeadlessDialogWindow final : public IDialogWindow {
public:
    HeadlessDialogWindow(std::shared_ptr<const UriSchemeMap> schemes, std::shared_ptr<IFakePage> page,
                         std::vector<MonitorRect> monitors);

    void SetListener(IDialogWindowListener* listener) override { listener_ = listener; }
    IPageView& Page() override { return page_; }
    HeadlessPageView& FakeView() { return page_; }

    void SetTitle(const char* utf8Title) override { title_ = utf8Title ? utf8Title : ""; }
    void SetClientSize(int width, int height) override;
    void SetBorderless(bool borderless) override { borderless_ = borderless; }
    bool IsBorderless() const override { return borderless_; }
    void SetDragStrip(const DragStrip& strip) override { strip_ = strip; }

    bool GetPosition(int& x, int& y) const override;
    void Move(int x, int y) override;
    bool IsOnSomeMonitor(int x, int y) const override;

    void Iconify() override;
    void Present() override;

    int RunModal() override;
    void EndDialog(int code) override { loop_.End(code); }
    bool IsModalRunning() const override { return loop_.IsRunning(); }

    // What a user or window manager would do.
    void RequestClose();
    // Escape that the page left unhandled.
    void RequestCancel();
    void SetActive(bool active);

    const std::string& Title() const { return title_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    const DragStrip& Strip() const { return strip_; }
    bool IsIconified() const { return iconified_; }
    bool IsShown() const { return shown_; }
    bool HasEnded() const { return loop_.HasEnded(); }

private:
    HeadlessPageView page_;
    std::vector<MonitorRect> monitors_;
    IDialogWindowListener* listener_ = nullptr;
    ModalLoop loop_;
    std::string title_;
    int width_ = 0;
    int height_ = 0;
    int x_ = 0;
    int y_ = 0;
    bool borderless_ = false;
    bool iconified_ = false;
    bool shown_ = false;
    bool active_ = false;
    DragStrip strip_;
};
