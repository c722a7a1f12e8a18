// Times the self-update's walks over a large installation: the locked-file test of every
// file ("/reinstall" runs it first) and the deletion of the tree, on 50,000 small files
// in 500 folders, against `find -type f -writable` and `rm -rf` on the same tree. Both
// are bound by system calls; the bench shows what the launcher adds to them.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "workflow/launcherupdate/LauncherTree.h"

namespace {

constexpr int kFolders = 500;
constexpr int kFilesPerFolder = 100;
constexpr int kRounds = 3;

double Seconds(std::chrono::steady_clock::duration elapsed) {
    return std::chrono::duration<double>(elapsed).count();
}

bool MakeTree(const std::string& root) {
    if (::mkdir(root.c_str(), 0755) != 0) return false;
    for (int folder = 0; folder < kFolders; ++folder) {
        const std::string path = root + "/d" + std::to_string(folder);
        if (::mkdir(path.c_str(), 0755) != 0) return false;
        for (int file = 0; file < kFilesPerFolder; ++file) {
            const int fd = ::open((path + "/f" + std::to_string(file)).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
            if (fd < 0 || ::write(fd, "data", 4) != 4) return false;
            ::close(fd);
        }
    }
    return true;
}

// The seconds a shell command takes, its output discarded.
double TimeCommand(const std::string& command) {
    const auto start = std::chrono::steady_clock::now();
    if (std::system((command + " > /dev/null").c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
    return Seconds(std::chrono::steady_clock::now() - start);
}

}  // namespace

int main() {
    const char* tmp = std::getenv("TMPDIR");
    std::string base = std::string(tmp && *tmp ? tmp : "/tmp") + "/selfupdate-bench-XXXXXX";
    if (!::mkdtemp(base.data())) return 1;
    const std::string tree = base + "/tree";
    double test = 1e9, remove = 1e9, find = 1e9, rm = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        if (!MakeTree(tree)) return 1;
        std::vector<std::string> locked;
        auto start = std::chrono::steady_clock::now();
        const bool passed = TestTree(tree, locked);
        test = std::min(test, Seconds(std::chrono::steady_clock::now() - start));
        start = std::chrono::steady_clock::now();
        const bool deleted = DeleteTree(tree);
        remove = std::min(remove, Seconds(std::chrono::steady_clock::now() - start));
        if (!passed || !deleted) {
            std::fprintf(stderr, "the walk failed\n");
            return 1;
        }
        if (!MakeTree(tree)) return 1;
        find = std::min(find, TimeCommand("find '" + tree + "' -type f -writable"));
        rm = std::min(rm, TimeCommand("rm -rf '" + tree + "'"));
    }
    ::rmdir(base.c_str());
    const int files = kFolders * kFilesPerFolder;
    std::printf("%d files in %d folders, best of %d rounds\n", files, kFolders, kRounds);
    std::printf("locked-file test  %7.3f s   find -type f -writable %7.3f s   ratio %.2f\n", test, find, test / find);
    std::printf("tree deletion     %7.3f s   rm -rf                 %7.3f s   ratio %.2f\n", remove, rm, remove / rm);
    return 0;
}
