#pragma once
// Gives every file that the installed version lists its owner's write bit back, on a
// thread of its own, so that the patch applier can overwrite the files. Read-only is the
// owner's missing write bit; hidden and system attributes have no meaning here.
//
// The thread reads only what it was handed: a copy of the version's names made on the
// UI thread, and its own stop flag. It never follows a symbolic link and never leaves
// the game root, whatever the names say. It stops cooperatively: the destructor raises
// the flag, which the thread checks before every file, and joins it, so the thread
// never outlives its owner.
#include <sys/types.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/runtime/RefCounter.h"
#include "base/runtime/String.h"
#include "base/runtime/Vector.h"
#include "engine/checks/IChecker.h"
#include "engine/gamedata/IGameVersion.h"

// What the worker walks: the game root and the folders of the version in order, each
// with its files in order, as the version names them.
struct AttributeWorkList {
    struct Folder {
        std::string name;  // "/bin/": relative to the root despite its leading separator
        std::vector<std::string> files;
    };

    std::string root;
    std::vector<Folder> folders;

    // Copies the names of the version (none without one), on the thread that owns it.
    static AttributeWorkList FromVersion(const Game::IGameVersion* version, const std::string& root);
};

// Adds the owner's write bit to an open regular file whose mode is given; false when the
// file system refuses. The path names the file for tests that make some of them fail.
using AddOwnerWrite = std::function<bool(int fd, mode_t mode, const std::string& path)>;
bool AddOwnerWriteBit(int fd, mode_t mode, const std::string& path);

class CheckAttributesThread final : public RefCounter {
public:
    // Folders that still hold read-only files are reported up to this many; then the
    // worker stops looking.
    static constexpr int kFolderBudget = 3;

    struct Options {
        AddOwnerWrite addOwnerWrite = &AddOwnerWriteBit;
    };

    // The worker that is alive now, with the arguments it was made with; otherwise a new
    // one with these. The listener receives exactly one SetSuccess or SetFailed unless
    // the worker is stopped first; before SetFailed the folders that kept read-only files
    // are stored in failures (root, separator, folder name). UI thread only.
    static RefPtr<CheckAttributesThread> GetOrCreate(AttributeWorkList work, IChecker* listener,
                                                     WideStringVector* failures, const Options& options);

    // Starts the thread once; false when it already started or cannot be made.
    bool Start();
    // The thread stops before its next file and reports nothing.
    void RequestStop();

private:
    struct Job;

    CheckAttributesThread(AttributeWorkList work, IChecker* listener, WideStringVector* failures,
                          const Options& options);
    ~CheckAttributesThread() override;

    static void Work(const std::shared_ptr<Job>& job);

    std::shared_ptr<Job> job_;
    std::thread thread_;
};
