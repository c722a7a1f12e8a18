#pragma once
// The MD5 digest (RFC 1321) of a block of bytes, on LibTomCrypt.
#include <cstddef>
#include <cstdint>

constexpr std::size_t kMd5DigestLength = 16;

// False when the digest could not be computed.
bool Md5Digest(const void* data, std::size_t length, std::uint8_t digest[kMd5DigestLength]);
