#include "engine/gamedata/Md5Stream.h"

#include <openssl/evp.h>

namespace Game {

Md5Stream::Md5Stream() : context_(EVP_MD_CTX_new()) {
    ok_ = context_ && EVP_DigestInit_ex(context_, EVP_md5(), nullptr) == 1;
}

Md5Stream::Md5Stream(const Md5Stream& other) : context_(EVP_MD_CTX_new()) {
    ok_ = other.ok_ && context_ && EVP_MD_CTX_copy_ex(context_, other.context_) == 1;
}

Md5Stream::~Md5Stream() { EVP_MD_CTX_free(context_); }

void Md5Stream::Add(const void* data, std::size_t count) {
    if (ok_ && count > 0) ok_ = EVP_DigestUpdate(context_, data, count) == 1;
}

bool Md5Stream::Finish(std::uint8_t digest[16]) {
    unsigned int length = 0;
    ok_ = ok_ && EVP_DigestFinal_ex(context_, digest, &length) == 1 && length == 16;
    return ok_;
}

}  // namespace Game
