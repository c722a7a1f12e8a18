// Times how the repair puts downloaded files in place: the launcher's move (a rename
// after flushing the file, then the folder) within one file system, and across two (a
// copy through a temporary file, flushed, renamed, the source removed), against mv and
// cp doing the same. The payload is 256 files of 1 MiB and 4 of 64 MiB (512 MiB); the
// source lies in the folder given (default $TMPDIR) or in /dev/shm, the target always in
// the folder given. Best of three rounds each.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/posix/FileMove.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRounds = 3;
constexpr std::size_t kSmallFiles = 256;
constexpr std::size_t kSmallSize = 1 << 20;
constexpr std::size_t kLargeFiles = 4;
constexpr std::size_t kLargeSize = 64 << 20;

struct File {
    std::string name;
    std::size_t size;
};

std::vector<File> Payload() {
    std::vector<File> files;
    for (std::size_t i = 0; i < kSmallFiles; ++i) files.push_back({"small" + std::to_string(i) + ".bin", kSmallSize});
    for (std::size_t i = 0; i < kLargeFiles; ++i) files.push_back({"large" + std::to_string(i) + ".pak", kLargeSize});
    return files;
}

void WritePayload(const fs::path& folder, const std::vector<File>& files) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::string bytes(kLargeSize, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 131) >> 7);
    for (const File& file : files) std::ofstream(folder / file.name, std::ios::binary).write(bytes.data(), file.size);
    ::sync();
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The best time of the operation over fresh payloads; the target folder starts empty.
double Best(const fs::path& source, const fs::path& target, const std::vector<File>& files,
            const std::function<bool()>& operation) {
    double best = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        WritePayload(source, files);
        fs::remove_all(target);
        fs::create_directories(target);
        ::sync();
        const auto start = std::chrono::steady_clock::now();
        if (!operation()) {
            std::fprintf(stderr, "an operation failed\n");
            std::exit(1);
        }
        ::sync();  // mv and cp leave their bytes in the page cache: the disk must have them too
        best = std::min(best, Seconds(std::chrono::steady_clock::now() - start));
    }
    return best;
}

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

void Report(const char* what, double seconds) {
    const double megabytes = static_cast<double>(kSmallFiles * kSmallSize + kLargeFiles * kLargeSize) / 1048576.0;
    std::printf("  %-44s %7.3f s  %8.0f MB/s\n", what, seconds, megabytes / seconds);
}

}  // namespace

int main(int argc, char** argv) {
    const char* tmp = std::getenv("TMPDIR");
    const fs::path base = argc > 1 ? fs::path(argv[1]) : fs::path(tmp && *tmp ? tmp : "/tmp");
    const fs::path work = base / "launcher-repair-move-bench";
    const fs::path target = work / "game";
    const std::vector<File> files = Payload();
    std::printf("512 MiB in %zu files, target %s, best of %d\n", files.size(), target.c_str(), kRounds);

    const auto launcherMoves = [&](const fs::path& source, bool copy) {
        return [&files, source, &target, copy] {
            for (const File& file : files) {
                const std::string from = (source / file.name).string(), to = (target / file.name).string();
                if ((copy ? CopyFileReplacing(from, to) : MoveFileReplacing(from, to)) != 0) return false;
            }
            return true;
        };
    };
    const auto tool = [&](const char* program, const fs::path& source) {
        return [program, source, &target] { return Shell(std::string(program) + " " + source.string() + "/* " + target.string() + "/"); };
    };

    const fs::path same = work / "downloads";
    std::printf("one file system:\n");
    Report("launcher move (flushed rename)", Best(same, target, files, launcherMoves(same, false)));
    Report("mv", Best(same, target, files, tool("mv", same)));
    Report("launcher copy (flushed, renamed)", Best(same, target, files, launcherMoves(same, true)));
    Report("cp", Best(same, target, files, tool("cp", same)));

    struct stat shm {}, disk {};
    if (::stat("/dev/shm", &shm) == 0 && ::stat(base.c_str(), &disk) == 0 && shm.st_dev != disk.st_dev) {
        const fs::path other = "/dev/shm/launcher-repair-move-bench";
        std::printf("from /dev/shm to another file system:\n");
        Report("launcher move (copy, flush, rename, remove)", Best(other, target, files, launcherMoves(other, false)));
        Report("mv", Best(other, target, files, tool("mv", other)));
        fs::remove_all(other);
    }
    fs::remove_all(work);
    return 0;
}
