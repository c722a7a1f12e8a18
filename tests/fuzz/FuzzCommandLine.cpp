// The command line, as anyone who starts the launcher (perhaps as root) writes it: the
// input's NUL-separated pieces are the arguments. Whatever is parsed comes from them: a
// path or key is one of the arguments as given, a path only after a switch that takes
// one, and a switch is set only when it was named.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "base/runtime/StrUtil.h"
#include "shell/CommandLineParams.h"
#include "shell/PathText.h"

namespace {

// A game tree of its own: the parser's constructor makes its current folder the
// launcher's and creates the patches folder beside it.
const std::string& LauncherPath() {
    static const std::string path = [] {
        char pattern[] = "/tmp/fuzz-command-line-XXXXXX";
        const char* root = ::mkdtemp(pattern);
        if (!root) std::abort();
        const std::string bin = std::string(root) + "/bin";
        if (::mkdir(bin.c_str(), 0755) != 0) std::abort();
        static std::string made;
        made = root;
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(made, ignored);
        });
        return bin + "/Launcher.exe";
    }();
    return path;
}

bool Named(const std::vector<std::string>& arguments, std::initializer_list<const char*> names) {
    for (const std::string& argument : arguments)
        for (const char* name : names)
            if (argument.size() > 1 && (argument[0] == '-' || argument[0] == '/') && argument.substr(1) == name)
                return true;
    return false;
}

bool IsOneOf(const WideString& value, const std::vector<std::string>& arguments, bool generic) {
    for (const std::string& argument : arguments) {
        const WideString wide = StrUtil::ToWide(String(argument.c_str()));
        if (value.Equals(generic ? PathText::ToGeneric(wide) : wide)) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> arguments(1);
    for (std::size_t i = 0; i < size && arguments.size() <= 64; ++i) {
        if (data[i] == 0) {
            arguments.emplace_back();
        } else {
            arguments.back().push_back(static_cast<char>(data[i]));
        }
    }
    std::vector<const char*> argv = {"Launcher.exe"};
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());

    // The corpus and any finding are named relative to the fuzzer's own folder.
    const int here = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    RefPtr<AppParams> params(new AppParams);
    CommandLineParams commandLine(*params, LauncherPath());
    if (here < 0 || ::fchdir(here) != 0) std::abort();
    ::close(here);
    commandLine.ParseArguments(static_cast<int>(argv.size()), argv.data());

    if (!params->cmdPath.IsEmpty()) {
        if (!(params->update || params->reinstall || params->dropTemp)) __builtin_trap();
        if (!IsOneOf(params->cmdPath, arguments, true)) __builtin_trap();
        for (std::size_t i = 0; i < params->cmdPath.Length(); ++i)
            if (params->cmdPath[i] == u'\\') __builtin_trap();
    }
    if (!AuthKey().IsEmpty() && !IsOneOf(AuthKey(), arguments, false)) __builtin_trap();
    if (params->update && !Named(arguments, {"update"})) __builtin_trap();
    if (params->reinstall && !Named(arguments, {"reinstall"})) __builtin_trap();
    if (params->dropTemp && !Named(arguments, {"droptemp"})) __builtin_trap();
    if (params->rip && !Named(arguments, {"r", "rip"})) __builtin_trap();
    return 0;
}
