#pragma once
// A page dialog on the real WebKitGTK for tests: the resource tree served from the
// source folder under vfs:, with pages of the test's own in place of files, and a
// dialog that answers the start handshake and records every other command.
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <glib.h>

#include "shell/html/HtmlDialog.h"

// Serves the resource tree from the source folder: "vfs://" + folder + path.
struct ResourceFiles : IUriSchemeHandler {
    std::string root;
    std::map<std::string, std::string> inlinePages;

    UriSchemeResponse Handle(const std::string& uri) override {
        UriSchemeResponse response;
        std::string key = uri.substr(std::string("vfs://").size());
        key = key.substr(0, key.find_first_of("?#"));
        std::string body;
        if (auto page = inlinePages.find(key); page != inlinePages.end()) {
            body = page->second;
        } else if (key.find("..") == std::string::npos) {
            std::ifstream file(root + "/" + key, std::ios::binary);
            if (!file) return response;
            std::ostringstream bytes;
            bytes << file.rdbuf();
            body = bytes.str();
        } else {
            return response;
        }
        response.found = true;
        response.body = std::make_shared<const std::string>(body);
        const std::string extension = key.substr(key.rfind('.') + 1);
        response.mimeType = extension == "js" ? "text/javascript" : extension == "css" ? "text/css" : "text/html";
        return response;
    }
};

// The launcher window's geometry: 748 x 589 with the drag strip at the top.
class PageDialog final : public CHtmlDialog {
public:
    using CHtmlDialog::CHtmlDialog;

    std::vector<std::pair<int, std::u16string>> commands;
    std::function<void(PageDialog&, int, const WideString&)> onCommand;

    bool OnAppCommand(int code, const WideString& argument) override {
        if (code == kReadyCommand) {
            AnswerHandshake();
            return false;
        }
        commands.emplace_back(code, argument.Std());
        if (onCommand) onCommand(*this, code, argument);
        return false;
    }
    void OnDocumentComplete() override {
        SetDocumentComplete();
        BeginHandshake();
    }

protected:
    bool OnInitDialog() override {
        InitHtmlDialog(DragStrip{0, 0, 690, 24});
        SetClientSize(748, 589);
        return true;
    }
};

// Runs the dialog, ending it with -99 when it runs longer than boundMs.
inline int RunPageDialogBounded(PageDialog& dialog, guint boundMs) {
    const guint guard = g_timeout_add(boundMs, [](gpointer d) {
        static_cast<CHtmlDialog*>(d)->EndDialog(-99);
        return G_SOURCE_REMOVE;
    }, &dialog);
    const int code = dialog.DoModal();
    if (code != -99) g_source_remove(guard);
    return code;
}
