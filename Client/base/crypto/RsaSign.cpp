#include "base/crypto/RsaSign.h"

#include <cstring>

#include "base/crypto/Md5.h"

namespace {

constexpr unsigned long kSaltLength = 8;
constexpr unsigned long kDigestLength = kMd5DigestLength;
constexpr unsigned long kSignatureCapacity = 1024;

// Registering an already registered descriptor is harmless, so this runs on every Create.
void RegisterDescriptors() {
    ltc_mp = ltm_desc;
    register_hash(&md5_desc);
    register_prng(&sprng_desc);
}

}  // namespace

RsaSign::RsaSign() { std::memset(&key_, 0, sizeof key_); }

RsaSign::~RsaSign() {
    if (imported_) rsa_free(&key_);
}

RsaSign* RsaSign::Create(const void* keyBytes, std::size_t length) {
    RegisterDescriptors();
    RsaSign* sign = new RsaSign();
    if (!keyBytes || length == 0 ||
        rsa_import(static_cast<const unsigned char*>(keyBytes), static_cast<unsigned long>(length), &sign->key_) !=
            CRYPT_OK) {
        delete sign;
        return nullptr;
    }
    sign->imported_ = true;
    return sign;
}

bool RsaSign::Verify(const void* data, std::size_t length, const void* signature, std::size_t signatureLength) {
    const int hashIndex = find_hash("md5");
    unsigned char digest[kDigestLength];
    if (hashIndex < 0 || !signature || signatureLength == 0 || !Md5Digest(data, length, digest)) return false;
    int valid = 0;
    const int result = rsa_verify_hash_ex(static_cast<const unsigned char*>(signature),
                                          static_cast<unsigned long>(signatureLength), digest, kDigestLength,
                                          LTC_PKCS_1_PSS, hashIndex, kSaltLength, &valid, &key_);
    return result == CRYPT_OK && valid != 0;
}

bool RsaSign::Sign(const void* data, std::size_t length, ByteVector& out) {
    const int hashIndex = find_hash("md5");
    const int prngIndex = find_prng("sprng");
    unsigned char digest[kDigestLength];
    if (hashIndex < 0 || prngIndex < 0 || !Md5Digest(data, length, digest)) return false;
    out.Resize(kSignatureCapacity);
    unsigned long produced = kSignatureCapacity;
    if (rsa_sign_hash_ex(digest, kDigestLength, out.Data(), &produced, LTC_PKCS_1_PSS, nullptr, prngIndex, hashIndex,
                         kSaltLength, &key_) != CRYPT_OK) {
        return false;
    }
    out.Resize(produced);
    return true;
}
