#include "engine/gamedata/EncryptionChecker.h"

#include <openssl/sha.h>

#include <cstring>

namespace Game {

RefPtr<EncryptionChecker> EncryptionChecker::Create() { return RefPtr<EncryptionChecker>(new EncryptionChecker()); }

bool EncryptionChecker::Verify(const void* data, std::size_t length, const void* hash, std::size_t hashLength) const {
    if (hashLength != SHA_DIGEST_LENGTH) return false;
    unsigned char digest[SHA_DIGEST_LENGTH];
    SHA1(static_cast<const unsigned char*>(data), length, digest);
    return std::memcmp(digest, hash, SHA_DIGEST_LENGTH) == 0;
}

}  // namespace Game
