#include "platform/settings/UserKeyFile.h"

#include <cstdlib>

#include <glib.h>
#include <glib/gstdio.h>

namespace {

std::vector<std::string> SplitKeyPath(const std::string& keyPath) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : keyPath) {
        if (c == '\\') {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(part);
    return parts;
}

bool IsPlainComponent(const std::string& part) {
    return !part.empty() && part != "." && part != ".." && part.find('/') == std::string::npos &&
           part.find('\0') == std::string::npos;
}

// Read each time: tests and child processes may point it elsewhere.
std::string UserConfigFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home && home[0] ? home : g_get_home_dir()) + "/.config";
}

GKeyFile* LoadIfPresent(const std::string& file) {
    GKeyFile* keys = g_key_file_new();
    g_key_file_load_from_file(keys, file.c_str(), G_KEY_FILE_KEEP_COMMENTS, nullptr);
    return keys;
}

}  // namespace

bool LocateUserKeyFile(const std::string& keyPath, KeyFileLocation& location) {
    const std::vector<std::string> parts = SplitKeyPath(keyPath);
    if (parts.size() < 2) return false;
    for (const std::string& part : parts) {
        if (!IsPlainComponent(part)) return false;
    }
    std::string folder = UserConfigFolder();
    for (std::size_t i = 0; i + 2 < parts.size(); ++i) folder += "/" + parts[i];
    location.file = folder + "/" + parts[parts.size() - 2] + ".ini";
    location.group = parts.back();
    return true;
}

bool ReadUserKeyFileInt(const std::string& keyPath, const char* name, int& value) {
    KeyFileLocation location;
    if (!LocateUserKeyFile(keyPath, location)) return false;
    GKeyFile* keys = g_key_file_new();
    bool ok = g_key_file_load_from_file(keys, location.file.c_str(), G_KEY_FILE_NONE, nullptr);
    if (ok) {
        GError* error = nullptr;
        const gint read = g_key_file_get_integer(keys, location.group.c_str(), name, &error);
        ok = error == nullptr;
        if (ok) value = read;
        if (error) g_error_free(error);
    }
    g_key_file_free(keys);
    return ok;
}

bool WriteUserKeyFileInts(const std::string& keyPath, const std::vector<std::pair<std::string, int>>& values) {
    KeyFileLocation location;
    if (!LocateUserKeyFile(keyPath, location)) return false;
    gchar* folder = g_path_get_dirname(location.file.c_str());
    const bool haveFolder = g_mkdir_with_parents(folder, 0700) == 0;
    g_free(folder);
    if (!haveFolder) return false;
    GKeyFile* keys = LoadIfPresent(location.file);
    for (const auto& [name, number] : values) g_key_file_set_integer(keys, location.group.c_str(), name.c_str(), number);
    // g_key_file_save_to_file writes a temporary file and renames it over the old one.
    const bool saved = g_key_file_save_to_file(keys, location.file.c_str(), nullptr);
    g_key_file_free(keys);
    return saved;
}
