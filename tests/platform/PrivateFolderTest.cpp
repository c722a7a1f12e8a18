#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/ipc/RuntimePath.h"
#include "support/FileBytes.h"
#include "support/ScopedTempFolder.h"

namespace {

TEST(PrivateFolder, OnlyARealFolderOfOursClosedToOthersCounts) {
    ScopedTempFolder temp;
    const std::string closed = temp / "closed";
    const std::string open = temp / "open";
    mkdir(closed.c_str(), 0700);
    mkdir(open.c_str(), 0700);
    chmod(open.c_str(), 0750);
    ASSERT_EQ(symlink(closed.c_str(), (temp / "link").c_str()), 0);
    WriteWholeFile(temp / "file", "x");
    chmod((temp / "file").c_str(), 0700);

    EXPECT_TRUE(IsPrivateFolder(closed));
    EXPECT_FALSE(IsPrivateFolder(open));
    EXPECT_FALSE(IsPrivateFolder(temp / "link"));
    EXPECT_FALSE(IsPrivateFolder(temp / "file"));
    EXPECT_FALSE(IsPrivateFolder(temp / "missing"));
    EXPECT_FALSE(IsPrivateFolder(""));
}

TEST(PrivateFolder, TheRuntimeFolderIsRefusedWhenOthersCanEnterIt) {
    ScopedTempFolder temp;
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string previous = saved ? saved : "";
    const std::string runtime = temp / "run";
    mkdir(runtime.c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", (runtime + "/").c_str(), 1);
    EXPECT_EQ(PrivateRuntimeFolder(), runtime);
    chmod(runtime.c_str(), 0711);
    EXPECT_EQ(PrivateRuntimeFolder(), "");
    if (saved) {
        setenv("XDG_RUNTIME_DIR", previous.c_str(), 1);
    } else {
        unsetenv("XDG_RUNTIME_DIR");
    }
}

}  // namespace
