// Opens a ZIP archive of 10,000 small deflated entries and reads every entry, against
// `unzip -p ARCHIVE > /dev/null` on the same archive in the same run. Prints both
// times (best of several rounds) and the ratio unzip / launcher (above 1: faster).
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/io/ZipArchive.h"

namespace {

constexpr int kEntries = 10000;
constexpr int kRounds = 5;

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

bool MakeArchive(const std::string& path) {
    const std::string script =
        "import zipfile, random\n"
        "random.seed(7)\n"
        "words = ['launcher', 'patch', 'torrent', 'brennic', 'version', 'repair', 'page', 'script']\n"
        "with zipfile.ZipFile('" + path + "', 'w', zipfile.ZIP_DEFLATED) as z:\n"
        "    for i in range(" + std::to_string(kEntries) + "):\n"
        "        text = ' '.join(random.choice(words) for _ in range(random.randint(20, 400)))\n"
        "        z.writestr('res/%04d/file%05d.txt' % (i // 100, i), text)\n";
    const std::string scriptPath = path + ".py";
    FILE* out = std::fopen(scriptPath.c_str(), "w");
    if (!out) return false;
    std::fputs(script.c_str(), out);
    std::fclose(out);
    const int status = std::system(("python3 '" + scriptPath + "'").c_str());
    ::unlink(scriptPath.c_str());
    return status == 0;
}

double ReadWithLauncher(const std::string& path, std::uint64_t& bytes) {
    const auto start = std::chrono::steady_clock::now();
    RefPtr<NVFS::ZipArchive> archive(new NVFS::ZipArchive(String(path.c_str())));
    bytes = 0;
    for (std::size_t i = 0; i < archive->GetEntryCount(); ++i) {
        RefPtr<CDataStream> entry = archive->OpenEntry(i);
        if (!entry) {
            std::fprintf(stderr, "entry %zu failed\n", i);
            std::exit(1);
        }
        bytes += entry->Size();
    }
    if (archive->GetEntryCount() != kEntries) {
        std::fprintf(stderr, "found %zu entries\n", archive->GetEntryCount());
        std::exit(1);
    }
    return Seconds(std::chrono::steady_clock::now() - start);
}

double ReadWithUnzip(const std::string& path) {
    const auto start = std::chrono::steady_clock::now();
    if (std::system(("unzip -p '" + path + "' > /dev/null").c_str()) != 0) {
        std::fprintf(stderr, "unzip failed\n");
        std::exit(1);
    }
    return Seconds(std::chrono::steady_clock::now() - start);
}

}  // namespace

int main() {
    char folder[] = "/tmp/launcher-bench-XXXXXX";
    if (!::mkdtemp(folder)) return 1;
    const std::string archive = std::string(folder) + "/entries.zip";
    if (!MakeArchive(archive)) {
        std::fprintf(stderr, "could not build the archive (python3 is needed)\n");
        return 1;
    }
    double ours = 1e9;
    double unzip = 1e9;
    std::uint64_t bytes = 0;
    for (int round = 0; round < kRounds; ++round) {
        const double a = ReadWithLauncher(archive, bytes);
        const double b = ReadWithUnzip(archive);
        if (a < ours) ours = a;
        if (b < unzip) unzip = b;
    }
    std::printf("%d entries, %llu bytes inflated\n", kEntries, static_cast<unsigned long long>(bytes));
    std::printf("launcher ZipArchive: %.1f ms\n", ours * 1000);
    std::printf("unzip -p:            %.1f ms\n", unzip * 1000);
    std::printf("ratio (unzip / launcher): %.2f\n", unzip / ours);
    ::unlink(archive.c_str());
    ::rmdir(folder);
    return 0;
}
