// The page driver's client (support/PageDriver) as a program, for scripts that drive the
// launcher's page as the end-to-end tests do: the headless demo's player. The socket is
// the one the agent serves, named in LAUNCHER_PAGE_DRIVER_SOCKET.
//
//   page_driver eval SCRIPT      prints the script's value
//   page_driver until SCRIPT MS  waits until the script's value is true
//   page_driver click ID MS      waits until the element is shown and enabled, clicks it
//   page_driver fill ID VALUE    sets a form field's value
//   page_driver shown ID         whether the element is shown now
//   page_driver text ID          prints the element's text
//
// Exits with 0 when the step was done, 1 with the reason on stderr when not, 2 on misuse.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/PageDriver.h"

namespace {

int Usage() {
    std::fputs("usage: page_driver eval SCRIPT | until SCRIPT MS | click ID MS | fill ID VALUE | shown ID | text ID\n"
               "(the socket in LAUNCHER_PAGE_DRIVER_SOCKET)\n",
               stderr);
    return 2;
}

bool ParseMs(const std::string& text, int& ms) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end || value < 0 || value > 24L * 3600 * 1000) return false;
    ms = static_cast<int>(value);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const char* socket = std::getenv("LAUNCHER_PAGE_DRIVER_SOCKET");
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (!socket || !*socket || args.size() < 2) return Usage();
    PageDriver driver(socket);
    const std::string& verb = args[0];
    int ms = 0;
    bool done = false;
    if (verb == "eval" && args.size() == 2) {
        std::string value;
        done = driver.Eval(args[1], value);
        if (done) std::printf("%s\n", value.c_str());
    } else if (verb == "until" && args.size() == 3 && ParseMs(args[2], ms)) {
        done = driver.WaitUntil(args[1], ms);
    } else if (verb == "click" && args.size() == 3 && ParseMs(args[2], ms)) {
        done = driver.WaitForClickable(args[1], ms) && driver.Click(args[1]);
    } else if (verb == "fill" && args.size() == 3) {
        done = driver.Fill(args[1], args[2]);
    } else if (verb == "shown" && args.size() == 2) {
        done = driver.IsShown(args[1]);
    } else if (verb == "text" && args.size() == 2) {
        const std::string text = driver.Text(args[1]);
        done = driver.error().empty();
        if (done) std::printf("%s\n", text.c_str());
    } else {
        return Usage();
    }
    // An element that is not shown is an answer, not a failure.
    if (!done && verb != "shown") std::fprintf(stderr, "page_driver %s: %s\n", verb.c_str(), driver.error().c_str());
    return done ? 0 : 1;
}
