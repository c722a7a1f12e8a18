#include "platform/gtk/GtkUserPrompt.h"

#include <gtk/gtk.h>

#include "platform/gtk/GtkDialogWindow.h"

namespace {

// A glob pattern that matches exactly this name: metacharacters stand in brackets.
std::string LiteralPattern(const std::string& name) {
    std::string pattern;
    for (const char c : name) {
        if (c == '*' || c == '?' || c == '[' || c == '\\') {
            pattern += '[';
            pattern += c;
            pattern += ']';
        } else {
            pattern += c;
        }
    }
    return pattern;
}

}  // namespace

bool GtkUserPrompt::ChooseFile(const FileChoiceRequest& request, std::string& path) {
    GtkFileChooserNative* chooser = gtk_file_chooser_native_new(request.title.c_str(), ActiveToplevel(),
                                                                GTK_FILE_CHOOSER_ACTION_OPEN, nullptr, nullptr);
    GtkFileChooser* files = GTK_FILE_CHOOSER(chooser);
    gtk_native_dialog_set_modal(GTK_NATIVE_DIALOG(chooser), TRUE);
    gtk_file_chooser_set_local_only(files, TRUE);
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, request.filterName.c_str());
    gtk_file_filter_add_pattern(filter, LiteralPattern(request.fileName).c_str());
    gtk_file_chooser_add_filter(files, filter);  // the chooser takes the filter
    bool chosen = false;
    if (gtk_native_dialog_run(GTK_NATIVE_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT) {
        if (char* name = gtk_file_chooser_get_filename(files)) {
            path = name;
            chosen = true;
            g_free(name);
        }
    }
    g_object_unref(chooser);
    return chosen;
}

void GtkUserPrompt::ShowMessage(const std::string& text, const std::string& caption) {
    messages_.Show(text, caption, MessageBoxButtons::Ok, MessageBoxIcon::Info);
}

bool GtkUserPrompt::AskYesNo(const std::string& text, const std::string& caption) {
    return messages_.Show(text, caption, MessageBoxButtons::YesNo, MessageBoxIcon::Question) == MessageBoxResult::Yes;
}
