// The checkers' MD5: known digests, piecewise feeding, and copies that go on independently.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "engine/gamedata/Md5Stream.h"

namespace {

std::string Hex(const std::uint8_t digest[16]) {
    std::string text;
    char pair[3];
    for (int i = 0; i < 16; ++i) {
        std::snprintf(pair, sizeof pair, "%02x", digest[i]);
        text += pair;
    }
    return text;
}

std::string DigestOf(Game::Md5Stream& md5) {
    std::uint8_t digest[16];
    return md5.Finish(digest) ? Hex(digest) : "failed";
}

}  // namespace

TEST(Md5Stream, KnownDigestsWholeAndInPieces) {
    const struct {
        std::string text;
        const char* digest;
    } cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& c : cases) {
        Game::Md5Stream whole;
        whole.Add(c.text.data(), c.text.size());
        EXPECT_EQ(DigestOf(whole), c.digest) << c.text;
        Game::Md5Stream bytewise;
        for (char byte : c.text) bytewise.Add(&byte, 1);
        EXPECT_EQ(DigestOf(bytewise), c.digest) << c.text;
    }
}

TEST(Md5Stream, ACopyGoesOnFromTheSharedHeadWithoutTouchingTheOriginal) {
    Game::Md5Stream head;
    head.Add("ab", 2);
    Game::Md5Stream copy(head);
    copy.Add("c", 1);
    EXPECT_EQ(DigestOf(copy), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(DigestOf(head), "187ef4436122d1cc2f40dc2b92f0eba0");
}
