#include "platform/headless/HeadlessToolkit.h"

#include <cstdio>
#include <utility>

MessageBoxResult HeadlessMessageBox::Show(const std::string& text, const std::string& caption,
                                          MessageBoxButtons buttons, MessageBoxIcon) {
    shown.push_back({text, caption, buttons});
    if (!quiet) std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    switch (buttons) {
        case MessageBoxButtons::Ok: return MessageBoxResult::Ok;
        case MessageBoxButtons::OkCancel: return answerYes ? MessageBoxResult::Ok : MessageBoxResult::Cancel;
        case MessageBoxButtons::YesNo: return answerYes ? MessageBoxResult::Yes : MessageBoxResult::No;
    }
    return MessageBoxResult::Ok;
}

HeadlessToolkit::HeadlessToolkit(std::shared_ptr<IFakePage> page, std::vector<MonitorRect> monitors)
    : page_(std::move(page)), monitors_(std::move(monitors)) {}

std::unique_ptr<IDialogWindow> HeadlessToolkit::CreateDialogWindow() {
    auto window = std::make_unique<HeadlessDialogWindow>(schemes_, page_, monitors_);
    lastWindow_ = window.get();
    return window;
}

bool HeadlessToolkit::RegisterUriScheme(const std::string& scheme, std::shared_ptr<IUriSchemeHandler> handler) {
    if (!handler) return false;
    return schemes_->emplace(scheme, std::move(handler)).second;
}

bool HeadlessToolkit::OpenUri(const std::string& uri) {
    opened_.push_back(uri);
    return true;
}
