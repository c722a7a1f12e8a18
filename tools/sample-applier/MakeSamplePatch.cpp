// make_sample_patch: writes the sample patch between two game trees, for the demo's
// update server and the tests.
#include <cstdio>
#include <string>

#include "PatchMaker.h"

namespace {

int Usage() {
    std::fprintf(stderr,
        "usage: make_sample_patch --from VERSION=TREE --to VERSION=TREE --out FILE [--exclude REL]...\n"
        "\n"
        "Writes FILE, a sample patch (a ZIP archive with a manifest) that turns the game tree of\n"
        "the --from version into that of the --to version: the files that are new or changed,\n"
        "and the names of the files that are gone. Profiles/game.version and every --exclude path\n"
        "(relative to the tree) are left out.\n");
    return 2;
}

bool SplitVersion(const std::string& text, std::string& version, std::string& tree) {
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == text.size()) return false;
    version = text.substr(0, equals);
    tree = text.substr(equals + 1);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    SamplePatch::MakeRequest request;
    std::string out;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i], value = argv[i + 1];
        bool good = true;
        if (option == "--from") good = SplitVersion(value, request.fromVersion, request.fromTree);
        else if (option == "--to") good = SplitVersion(value, request.toVersion, request.toTree);
        else if (option == "--out") out = value;
        else if (option == "--exclude") request.excluded.push_back(value);
        else good = false;
        if (!good) return Usage();
    }
    if (argc % 2 == 0 || out.empty() || request.fromTree.empty() || request.toTree.empty()) return Usage();
    std::string error;
    if (!SamplePatch::MakePatch(request, out, error)) {
        std::fprintf(stderr, "make_sample_patch: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
