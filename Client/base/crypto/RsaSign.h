#pragma once
// RSASSA-PSS (PKCS #1 v2.1) over the MD5 digest of the data, salt length 8, on
// LibTomCrypt with LibTomMath as its big-number back end.
#include <tomcrypt.h>

#include "base/crypto/IRsaSign.h"

class RsaSign final : public IRsaSign {
public:
    // The key is DER as rsa_import reads it (PKCS #1 or SubjectPublicKeyInfo, public
    // or private). Null when the bytes are not a key.
    static RsaSign* Create(const void* keyBytes, std::size_t length);

    bool Sign(const void* data, std::size_t length, ByteVector& out) override;
    bool Verify(const void* data, std::size_t length, const void* signature, std::size_t signatureLength) override;

private:
    RsaSign();
    ~RsaSign() override;

    rsa_key key_;
    bool imported_ = false;
};
