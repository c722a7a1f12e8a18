// The status word another program publishes: read only once all four bytes are there,
// never mapped, and removable before a new wait.
#include <gtest/gtest.h>

#include <cstdint>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

#include "platform/ipc/SharedStatusWord.h"

namespace {

struct SharedObject {
    std::string name = "/launcher-status-test-" + std::to_string(getpid());
    ~SharedObject() { shm_unlink(name.c_str()); }

    void Write(const std::string& bytes) const {
        const int fd = shm_open(name.c_str(), O_CREAT | O_TRUNC | O_RDWR, 0600);
        ASSERT_GE(fd, 0);
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
