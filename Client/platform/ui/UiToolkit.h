#pragma once
// Where windows, message boxes and URI schemes come from: GTK with WebKit on a
// desktop, the headless toolkit in tests and runs without a display.
#include <memory>
#include <string>

#include "platform/ui/DialogWindow.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/UriSchemeHandler.h"
#include "platform/ui/UserPrompt.h"

class IUiToolkit {
public:
    virtual ~IUiToolkit() = default;

    virtual std::unique_ptr<IDialogWindow> CreateDialogWindow() = 0;
    virtual IMessageBox& Messages() = 0;
    // File choices and questions over the launcher's window.
    virtual IUserPrompt& Prompts() = 0;
    // Register before the first page loads; false when the scheme is taken.
    virtual bool RegisterUriScheme(const std::string& scheme, std::shared_ptr<IUriSchemeHandler> handler) = 0;
    // Hands an address to the desktop's handler for it; the caller vets the address.
    virtual bool OpenUri(const std::string& uri) = 0;
};
