#pragma once
// An MD5 digest fed piece by piece (OpenSSL's, the fastest at hand). A copy carries the
// state on, so digests that share their first bytes hash those bytes once.
#include <cstddef>
#include <cstdint>

struct evp_md_ctx_st;

namespace Game {

class Md5Stream {
public:
    Md5Stream();
    Md5Stream(const Md5Stream& other);
    Md5Stream& operator=(const Md5Stream&) = delete;
    ~Md5Stream();

    void Add(const void* data, std::size_t count);
    // The digest of everything added; false when the digest could not be made.
    bool Finish(std::uint8_t digest[16]);

private:
    evp_md_ctx_st* context_;
    bool ok_;
};

}  // namespace Game
