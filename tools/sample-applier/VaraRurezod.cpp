// The sample patch applier, named as the launcher names its applier. The launcher starts
// it from its bin folder as
//   VaraRurezod.exe PLAN [-authkey KEY]
// when it has written the patch plan PLAN and closed. The applier waits for that launcher
// to end, applies the plan's entries in order (sample patches, see SamplePatch.h) to the
// game root above its own folder, installs each entry's version file, removes the plan
// once it is applied, and starts the launcher again with the same key, so that the player
// comes back to the window. "VaraRurezod.exe -version" answers with kApplierVersion as
// its exit code (the manual patch compares the appliers of a patch chain by it).
// Progress goes to stderr and to Personal/Logs/VaraRurezod.log.
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "PatchApplier.h"
#include "base/runtime/StrUtil.h"
#include "platform/process/ProcessHandle.h"
#include "platform/process/ProcessInfo.h"
#include "platform/process/ProcessSpawn.h"
#include "workflow/patches/MultiPatch.h"

namespace {

constexpr int kApplierVersion = 1;
constexpr int kLauncherEndMs = 30000;
constexpr char kLauncherName[] = "Launcher.exe";

std::string Narrow(const WideString& text) { return StrUtil::ToNarrow(text).Std(); }

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

class ApplierLog {
public:
    explicit ApplierLog(const std::string& root) : file_(root + "Personal/Logs/VaraRurezod.log", std::ios::app) {}

    void operator()(const std::string& line) {
        char stamp[32];
        const std::time_t now = std::time(nullptr);
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", std::localtime(&now));
        std::fprintf(stderr, "VaraRurezod.exe: %s\n", line.c_str());
        if (file_) file_ << stamp << ": " << line << "\n" << std::flush;
    }

private:
    std::ofstream file_;
};

// The launcher that started us closes right after; it must be gone before a new one can
// take the single-instance lock.
void WaitForStartingLauncher(ApplierLog& log) {
    const pid_t parent = GetParentProcessId();
    std::string image;
    if (parent <= 1 || !GetProcessImagePath(parent, image) || BaseName(image) != kLauncherName) return;
    ProcessHandle launcher = ProcessHandle::Open(parent);
    if (launcher.IsValid() && launcher.WaitForExit(kLauncherEndMs) == WaitResult::TimedOut)
        log("the launcher that started the applier still runs after 30 s; patching anyway");
}

std::vector<SampleApplier::PlanEntry> EntriesOf(const MultiPatch& plan) {
    std::vector<SampleApplier::PlanEntry> entries;
    for (const MultiPatchItem& item : plan.items) {
        SampleApplier::PlanEntry entry;
        entry.version = Narrow(item.version);
        entry.versionFile = Narrow(item.gameVersionFile);
        for (const WideString& file : item.patchFiles) entry.patchFiles.push_back(Narrow(file));
        entries.push_back(entry);
    }
    return entries;
}

bool StartLauncher(const std::string& bin, const std::string& key, ApplierLog& log) {
    SpawnRequest request;
    request.program = bin + "/" + kLauncherName;
    request.argv = {request.program};
    if (!key.empty()) request.argv.insert(request.argv.end(), {"-authkey", key});
    request.workingDir = bin;
    if (SpawnProcess(request) < 0) {
        log("cannot start " + request.program);
        return false;
    }
    log("started " + request.program + " again");
    return true;
}

int Usage() {
    std::fprintf(stderr, "usage: VaraRurezod.exe PLAN [-authkey KEY]\n       VaraRurezod.exe -version\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string planPath, key;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "-version" || argument == "/version") return kApplierVersion;
        if ((argument == "-authkey" || argument == "/authkey") && i + 1 < argc) {
            key = argv[++i];
        } else if (planPath.empty()) {
            planPath = argument;
        } else {
            return Usage();
        }
    }
    if (planPath.empty()) return Usage();

    const std::string own = GetOwnExecutablePath();
    if (own.empty()) return 1;
    const std::string bin = FolderOf(own);
    const std::string root = FolderOf(bin) + "/";
    ApplierLog log(root);
    WaitForStartingLauncher(log);

    log("applying the plan " + planPath + " to " + root + " (installed version " +
        SampleApplier::InstalledVersion(root) + ")");
    RefPtr<MultiPatch> plan = MultiPatch::Load(StrUtil::ToWide(String(planPath.c_str())));
    bool applied = false;
    if (!plan) {
        log("no patch plan in " + planPath);
    } else {
        std::string error;
        applied = SampleApplier::ApplyPlan(root, EntriesOf(*plan), std::ref(log), error);
        if (applied) {
            ::unlink(planPath.c_str());
            log("done: the game is at version " + SampleApplier::InstalledVersion(root));
        } else {
            log("stopped: " + error + "; the game stays at version " + SampleApplier::InstalledVersion(root));
        }
    }
    StartLauncher(bin, key, log);
    return applied ? 0 : 1;
}
