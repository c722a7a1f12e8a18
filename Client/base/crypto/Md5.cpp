#include "base/crypto/Md5.h"

#include <tomcrypt.h>

bool Md5Digest(const void* data, std::size_t length, std::uint8_t digest[kMd5DigestLength]) {
    // LibTomCrypt checks its pointer arguments by aborting, so empty inputs get a valid address.
    static const unsigned char empty = 0;
    const auto* bytes = data ? static_cast<const unsigned char*>(data) : &empty;
    hash_state state;
    return md5_init(&state) == CRYPT_OK && md5_process(&state, bytes, static_cast<unsigned long>(length)) == CRYPT_OK &&
           md5_done(&state, digest) == CRYPT_OK;
}
