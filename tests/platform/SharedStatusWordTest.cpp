// The status word another program publishes: read only once all four bytes are there,
// never mapped, never believed from an object of another user, and removable before a
// new wait.
#include <gtest/gtest.h>

#include <cstdint>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

#include "platform/ipc/SharedStatusWord.h"
#include "support/AnotherUser.h"
#include "support/RequiredEnvironment.h"

namespace {

struct SharedObject {
    std::string name = "/launcher-status-test-" + std::to_string(getpid());
    ~SharedObject() { shm_unlink(name.c_str()); }

    // A fresh object each time: one made earlier would keep its owner.
    void Write(const std::string& bytes, bool anotherUsers = false) const {
        shm_unlink(name.c_str());
        const int fd = shm_open(name.c_str(), O_CREAT | O_TRUNC | O_RDWR, 0644);
        ASSERT_GE(fd, 0);
        if (anotherUsers) ASSERT_TRUE(GiveToAnotherUser(fd));
        ASSERT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        close(fd);
    }
};

std::string Word(std::int32_t value) { return std::string(reinterpret_cast<const char*>(&value), sizeof value); }

}  // namespace

TEST(SharedStatusWord, ReadsTheFirstWordOnlyOnceItIsWhole) {
    SharedObject object;
    std::int32_t value = 77;
    EXPECT_EQ(ReadSharedStatusWord(object.name, value), StatusWordRead::Missing);
    for (const std::string& shortObject : {std::string(), std::string("\1\2\3", 3)}) {
        object.Write(shortObject);
        EXPECT_EQ(ReadSharedStatusWord(object.name, value), StatusWordRead::NotWritten) << shortObject.size();
    }
    EXPECT_EQ(value, 77);

    const struct {
        std::string bytes;
        std::int32_t value;
    } cases[] = {{Word(0), 0}, {Word(-1), -1}, {Word(5) + Word(9), 5}, {Word(INT32_MIN), INT32_MIN}};
    for (const auto& c : cases) {
        object.Write(c.bytes);
        ASSERT_EQ(ReadSharedStatusWord(object.name, value), StatusWordRead::Read);
        EXPECT_EQ(value, c.value);
    }
}

TEST(SharedStatusWord, RemovalLeavesNothingAndAMissingObjectIsAlreadyRemoved) {
    SharedObject object;
    object.Write(Word(3));
    EXPECT_TRUE(RemoveSharedStatusWord(object.name));
    std::int32_t value = 0;
    EXPECT_EQ(ReadSharedStatusWord(object.name, value), StatusWordRead::Missing);
    EXPECT_TRUE(RemoveSharedStatusWord(object.name));
    // A name shm_open cannot take is an error, not "missing".
    EXPECT_EQ(ReadSharedStatusWord("/no/slashes/inside", value), StatusWordRead::Failed);
}

TEST(SharedStatusWord, AnObjectOfAnotherUserIsNeverBelieved) {
    if (!CanActAsAnotherUser()) SKIP_UNLESS_REQUIRED("only root can leave an object of another user");
    SharedObject object;
    for (const std::string& bytes : {Word(0), Word(7), std::string()}) {
        object.Write(bytes, true);
        std::int32_t value = 77;
        EXPECT_EQ(ReadSharedStatusWord(object.name, value), StatusWordRead::Foreign) << bytes.size();
        EXPECT_EQ(value, 77);
    }
    // The same bytes in an object of our own are read.
    object.Write(Word(0));
    std::int32_t value = 77;
    EXPECT_EQ(ReadSharedStatusWord(object.name, value), StatusWordRead::Read);
    EXPECT_EQ(value, 0);
}
