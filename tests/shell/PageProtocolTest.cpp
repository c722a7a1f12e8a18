// Both halves of the page protocol meet: every command the launcher takes is sent by
// the page's scripts or listed, with its reason, in the window's documentation as one
// no player sends; every event the launcher sends has a handler in the page. Both
// lists are read from the sources, so that a new command or event cannot slip past.
// The main page and the firewall dialog's pages are read together.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "support/FileBytes.h"

namespace fs = std::filesystem;

namespace {

const fs::path kRoot = LAUNCHER_TEST_DATA "/..";

std::string Read(const fs::path& path) { return ReadWholeFile(path.string()); }

// Every file below folder whose name ends in one of the suffixes, in a fixed order.
std::map<fs::path, std::string> FilesUnder(const fs::path& folder, std::initializer_list<std::string> suffixes) {
    std::map<fs::path, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        const std::string name = entry.path().filename().string();
        for (const std::string& suffix : suffixes)
            if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
                files.emplace(entry.path(), Read(entry.path()));
    }
    return files;
}

template <typename Each>
void ForEachMatch(const std::string& text, const std::regex& pattern, Each each) {
    for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it) each(*it);
}

// Code -> constant name: the workflow's command table and the dialogs' own codes.
std::map<int, std::string> LauncherCommands() {
    std::map<int, std::string> commands;
    static const std::regex workflow(R"re(constexpr int (\w+) = (\d+);)re");
    ForEachMatch(Read(kRoot / "Client/workflow/PageCommands.h"), workflow,
                 [&](const std::smatch& m) { commands.emplace(std::stoi(m[2]), m[1]); });
    static const std::regex dialog(R"re(static constexpr int (k\w+Command) = (\d+);)re");
    for (const auto& [path, text] : FilesUnder(kRoot / "Client/shell", {".h"}))
        ForEachMatch(text, dialog, [&](const std::smatch& m) { commands.emplace(std::stoi(m[2]), m[1]); });
    return commands;
}

// Every event name a source of the program hands to the page: "Module.OnEvent", or a
// bare name that belongs to the page's "App" module.
std::set<std::string> LauncherEvents() {
    static const std::regex name(R"re(u"([A-Z]\w*\.[A-Z]\w*|On[A-Z]\w*|AppReady)")re");
    std::set<std::string> events;
    for (const auto& [path, text] : FilesUnder(kRoot / "Client", {".cpp"}))
        ForEachMatch(text, name, [&](const std::smatch& m) { events.insert(m[1]); });
    return events;
}

// The page: the main page, the firewall dialog's pages and every script they load.
std::map<fs::path, std::string> PageFiles() {
    std::map<fs::path, std::string> files = FilesUnder(kRoot / "Client/resources/HTMLResources/js", {".js"});
    for (auto& file : FilesUnder(kRoot / "Client/resources/Launcher/res", {".htm"})) files.insert(file);
    return files;
}

// The text between the brace that opens at `open` and the one that closes it.
std::string Block(const std::string& text, std::size_t open) {
    int depth = 0;
    for (std::size_t i = open; i < text.size(); ++i) {
        if (text[i] == '{') ++depth;
        if (text[i] == '}' && --depth == 0) return text.substr(open + 1, i - open - 1);
    }
    return text.substr(open + 1);
}

// The codes a script sends: straight to App.send, through a button's data-command,
// as a step table's `command: N`, or through a function of its own that hands its
// first parameter to App.send.
std::set<int> SentCodes(const std::string& script) {
    std::set<int> codes;
    auto add = [&](const std::smatch& m) { codes.insert(std::stoi(m[m.size() - 1])); };
    static const std::regex direct(R"re(\bsend\(\s*(\d+))re");
    static const std::regex button(R"re(data-command="(\d+)")re");
    static const std::regex step(R"re(\bcommand:\s*(\d+))re");
    ForEachMatch(script, direct, add);
    ForEachMatch(script, button, add);
    ForEachMatch(script, step, add);
    static const std::regex forwarder(R"re(function (\w+)\((\w+)[^)]*\)\s*\{)re");
    ForEachMatch(script, forwarder, [&](const std::smatch& m) {
        const std::string body = Block(script, m.position(0) + m.length(0) - 1);
        if (body.find("App.send(" + m[2].str() + ")") == std::string::npos &&
            body.find("App.send(" + m[2].str() + ",") == std::string::npos)
            return;
        ForEachMatch(script, std::regex("\\b" + m[1].str() + R"re(\(\s*(\d+))re"), add);
    });
    return codes;
}

// "Module.Event" for each handler a script gives with App.module, and the bare names
// the bridge answers itself.
std::set<std::string> HandledEvents(const std::string& script) {
    std::set<std::string> handled;
    static const std::regex module(R"re(App\.module\("(\w+)",\s*\{)re");
    static const std::regex key(R"re(^(\w+)\s*:)re");
    ForEachMatch(script, module, [&](const std::smatch& m) {
        const std::string body = Block(script, m.position(0) + m.length(0) - 1);
        // The object's own keys: names followed by ':' outside any nested brackets.
        int depth = 0;
        for (std::size_t i = 0; i < body.size(); ++i) {
            const char c = body[i];
            if (c == '{' || c == '(' || c == '[') ++depth;
            else if (c == '}' || c == ')' || c == ']') --depth;
            else if (depth == 0 && (std::isalpha(static_cast<unsigned char>(c)) || c == '_') &&
                     (i == 0 || !std::isalnum(static_cast<unsigned char>(body[i - 1])))) {
                std::smatch found;
                const std::string rest = body.substr(i, 80);
                if (std::regex_search(rest, found, key)) handled.insert(m[1].str() + "." + found[1].str());
            }
        }
    });
    static const std::regex own(R"re(name === "(\w+)")re");
    ForEachMatch(script, own, [&](const std::smatch& m) { handled.insert(m[1]); });
    return handled;
}

// The codes the window's documentation lists as sent by no player: the first column
// of the table under its heading.
std::set<int> ExemptCodes() {
    std::istringstream lines(Read(kRoot / "docs/window-and-preferences.md"));
    std::set<int> codes;
    bool inside = false;
    static const std::regex row(R"re(^\|\s*(\d+)\s*\|)re");
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("#", 0) == 0) inside = line == "### Commands the page never sends";
        std::smatch m;
        if (inside && std::regex_search(line, m, row)) codes.insert(std::stoi(m[1]));
    }
    return codes;
}

}  // namespace

TEST(PageProtocol, EveryCommandIsSentByThePageOrListedAsSentByNoPlayer) {
    const std::map<int, std::string> commands = LauncherCommands();
    // The readers still find the lists: a renamed file or a new notation fails here.
    ASSERT_TRUE(commands.count(666) && commands.count(2001) && commands.count(10002));
    std::set<int> sent;
    for (const auto& [path, text] : PageFiles()) {
        const std::set<int> codes = SentCodes(text);
        sent.insert(codes.begin(), codes.end());
    }
    ASSERT_TRUE(sent.count(666) && sent.count(2001) && sent.count(800) && sent.count(45));
    const std::set<int> exempt = ExemptCodes();
    ASSERT_FALSE(exempt.empty());

    for (const auto& [code, name] : commands) {
        SCOPED_TRACE(std::to_string(code) + " " + name);
        EXPECT_TRUE(sent.count(code) || exempt.count(code)) << "no script sends it and the window's documentation does not say why";
    }
    for (int code : exempt) {
        SCOPED_TRACE(code);
        EXPECT_TRUE(commands.count(code)) << "listed, but the launcher has no such command";
        EXPECT_FALSE(sent.count(code)) << "listed as sent by no player, but a script sends it";
    }
}

TEST(PageProtocol, EveryEventTheLauncherSendsHasAHandlerInThePage) {
    const std::set<std::string> events = LauncherEvents();
    ASSERT_TRUE(events.count("AppReady") && events.count("Downloader.OnProgress") &&
                events.count("OnWindowActiveStateChanged") && events.count("FWLocale.OnLoad"));
    std::set<std::string> handled;
    for (const auto& [path, text] : PageFiles()) {
        const std::set<std::string> names = HandledEvents(text);
        handled.insert(names.begin(), names.end());
    }
    ASSERT_TRUE(handled.count("AppReady") && handled.count("Repair.OnLockedFile"));

    for (const std::string& event : events) {
        const bool bare = event.find('.') == std::string::npos;
        EXPECT_TRUE(handled.count(event) || (bare && handled.count("App." + event)))
            << event << " reaches no handler of the page";
    }
}
