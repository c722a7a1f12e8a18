#pragma once
// The "ver4" catalog hash: the SHA-1 of the body's bytes, which is what the platform
// computes for a file that is not an executable.
#include <cstddef>
#include <cstdint>

#include "base/runtime/RefCounter.h"

namespace Game {

class EncryptionChecker final : public RefCounter {
public:
    // Always available here (OpenSSL); the null result is kept for the callers' sake.
    static RefPtr<EncryptionChecker> Create();
    bool Verify(const void* data, std::size_t length, const void* hash, std::size_t hashLength) const;

private:
    EncryptionChecker() = default;
    ~EncryptionChecker() override = default;
};

}  // namespace Game
