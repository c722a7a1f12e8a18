#include "base/crypto/RsaSign.h"

#include <gtest/gtest.h>

#include <string>

#include "support/TestDataFile.h"

namespace {

std::string Fixture(const char* name) { return ReadTestDataFile(LAUNCHER_TEST_DATA, std::string("base/crypto/data/") + name); }

RefPtr<RsaSign> KeyFrom(const std::string& der) { return RefPtr<RsaSign>(RsaSign::Create(der.data(), der.size())); }

class RsaSignTest : public ::testing::Test {
protected:
    void SetUp() override {
        publicDer_ = Fixture("public.der");
        message_ = Fixture("message.bin");
        signature_ = Fixture("sig-salt8.bin");
        ASSERT_EQ(publicDer_.size(), 140u);
        ASSERT_EQ(signature_.size(), 128u);
        key_ = KeyFrom(publicDer_);
        ASSERT_TRUE(key_);
    }

    bool Verify(const std::string& data, const std::string& signature) {
        return key_->Verify(data.data(), data.size(), signature.data(), signature.size());
    }

    std::string publicDer_, message_, signature_;
    RefPtr<RsaSign> key_;
};

TEST_F(RsaSignTest, OpensslPssMd5Salt8Verifies) {
    EXPECT_TRUE(Verify(message_, signature_));
    RefPtr<RsaSign> spki = KeyFrom(Fixture("public-spki.der"));
    ASSERT_TRUE(spki);
    EXPECT_TRUE(spki->Verify(message_.data(), message_.size(), signature_.data(), signature_.size()));
}

TEST_F(RsaSignTest, OtherSaltLengthsFail) {
    EXPECT_FALSE(Verify(message_, Fixture("sig-salt16.bin")));
    EXPECT_FALSE(Verify(message_, Fixture("sig-salt20.bin")));
}

TEST_F(RsaSignTest, FlippedBitsInDataOrSignatureFail) {
    for (std::size_t i = 0; i < message_.size(); i += 7) {
        std::string data = message_;
        data[i] ^= 0x01;
        EXPECT_FALSE(Verify(data, signature_)) << "data byte " << i;
    }
    for (std::size_t i = 0; i < signature_.size(); i += 9) {
        std::string signature = signature_;
        signature[i] ^= 0x80;
        EXPECT_FALSE(Verify(message_, signature)) << "signature byte " << i;
    }
}

TEST_F(RsaSignTest, WrongSignatureLengthsFail) {
    for (std::size_t length : {0u, 127u, 129u, 4096u}) {
        std::string signature = signature_;
        signature.resize(length, '\0');
        EXPECT_FALSE(Verify(message_, signature)) << length;
    }
    EXPECT_FALSE(key_->Verify(message_.data(), message_.size(), nullptr, 0));
}

TEST(RsaSignCreate, GarbageOrTruncatedKeyGivesNull) {
    const std::string der = Fixture("public.der");
    EXPECT_EQ(RsaSign::Create(nullptr, 0), nullptr);
    EXPECT_EQ(RsaSign::Create(der.data(), 0), nullptr);
    for (std::size_t length : {1u, 10u, 70u, 139u}) EXPECT_EQ(RsaSign::Create(der.data(), length), nullptr) << length;
    std::string garbage(140, '\0');
    for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>(i * 37 + 11);
    EXPECT_EQ(RsaSign::Create(garbage.data(), garbage.size()), nullptr);
}

TEST(RsaSignRoundTrip, SignThenVerifyWithThePublicHalf) {
    RefPtr<RsaSign> signer = KeyFrom(Fixture("private.der"));
    RefPtr<RsaSign> verifier = KeyFrom(Fixture("public.der"));
    ASSERT_TRUE(signer && verifier);
    const std::string data = "any data at all";
    ByteVector signature;
    ASSERT_TRUE(signer->Sign(data.data(), data.size(), signature));
    EXPECT_EQ(signature.Size(), 128u);
    EXPECT_TRUE(verifier->Verify(data.data(), data.size(), signature.Data(), signature.Size()));
    EXPECT_FALSE(verifier->Verify("any data at alL", data.size(), signature.Data(), signature.Size()));
    // A public key cannot sign.
    ByteVector none;
    EXPECT_FALSE(verifier->Sign(data.data(), data.size(), none));
}

}  // namespace
