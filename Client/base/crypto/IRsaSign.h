#pragma once
// Checks (and, for completeness, makes) RSA signatures over a block of data.
#include <cstddef>

#include "base/runtime/RefCounter.h"
#include "base/runtime/Vector.h"

class IRsaSign : public RefCounter {
public:
    // Signs the data into out; true when a signature was produced.
    virtual bool Sign(const void* data, std::size_t length, ByteVector& out) = 0;
    // True only when signature is a valid signature of the data.
    virtual bool Verify(const void* data, std::size_t length, const void* signature, std::size_t signatureLength) = 0;
};
