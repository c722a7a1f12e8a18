#include "VersionFileWriter.h"

#include <openssl/evp.h>
#include <openssl/sha.h>
#include <zlib.h>

#include <fstream>
#include <iterator>

#include "base/crypto/RsaSign.h"

namespace VersionWriter {
namespace {

void Md5(const std::string& bytes, std::uint8_t out[16]) {
    unsigned int length = 16;
    EVP_Digest(bytes.data(), bytes.size(), out, &length, EVP_md5(), nullptr);
}

}  // namespace

std::string U32(std::uint32_t value) {
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

std::string Framed(const std::string& bytes) { return U32(static_cast<std::uint32_t>(bytes.size())) + bytes; }

std::string Compress(const std::string& raw, int level) {
    uLongf length = compressBound(raw.size());
    std::string out(length, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &length, reinterpret_cast<const Bytef*>(raw.data()), raw.size(),
                  level) != Z_OK) {
        return std::string();
    }
    out.resize(length);
    return out;
}

std::string FolderList(const Model& model, int format) {
    std::string out = U32(static_cast<std::uint32_t>(model.folders.size()));
    for (const FolderEntry& folder : model.folders) {
        out += U32(0) + Framed(folder.name) + U32(static_cast<std::uint32_t>(folder.files.size()));
        for (const FileEntry& file : folder.files) {
            out += Framed(file.name) + U32(file.size);
            if (format == 4) {
                out += U32(file.crc);
            } else {
                out.append(reinterpret_cast<const char*>(file.md5), 16);
                out.append(reinterpret_cast<const char*>(file.quickMd5), 16);
            }
            out.push_back(static_cast<char>(file.flags));
        }
    }
    return out;
}

std::string Body4(const std::string& version, const std::string& compressedList) {
    return "ver4" + Framed(version) + Framed(compressedList);
}

std::string Wrap4(const std::string& body) {
    const uLong crc = crc32(crc32(0, Z_NULL, 0), reinterpret_cast<const Bytef*>(body.data()), body.size());
    unsigned char hash[SHA_DIGEST_LENGTH];
    SHA1(reinterpret_cast<const unsigned char*>(body.data()), body.size(), hash);
    std::string out = U32(static_cast<std::uint32_t>(crc)) + body;
    out.append(reinterpret_cast<const char*>(hash), sizeof hash);
    out.push_back(static_cast<char>(sizeof hash));
    out.append(3, '\0');
    return out;
}

std::string BlockA5(const std::string& version, const std::string& compressedList) {
    return "ver5" + Framed(version) + Framed(compressedList);
}

std::string Wrap5(const std::string& blockA, const std::string& signature) { return Framed(blockA) + Framed(signature); }

std::string Sign5(const std::string& blockA, const std::string& privateKeyDer) {
    RefPtr<RsaSign> key(RsaSign::Create(privateKeyDer.data(), privateKeyDer.size()));
    ByteVector signature;
    if (!key || !key->Sign(blockA.data(), blockA.size(), signature)) return std::string();
    return std::string(reinterpret_cast<const char*>(signature.Data()), signature.Size());
}

std::string Compose(const Model& model, int format, int level, const std::string& privateKeyDer) {
    const std::string list = Compress(FolderList(model, format), level);
    if (format == 4) return Wrap4(Body4(model.version, list));
    const std::string blockA = BlockA5(model.version, list);
    const std::string signature = Sign5(blockA, privateKeyDer);
    return signature.empty() ? std::string() : Wrap5(blockA, signature);
}

void FillHashes(const std::string& bytes, FileEntry& entry) {
    entry.size = static_cast<std::uint32_t>(bytes.size());
    entry.crc = static_cast<std::uint32_t>(
        crc32(crc32(0, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()));
    Md5(bytes, entry.md5);
    // Small files: the whole file; larger ones: the first and the last 16 KiB.
    constexpr std::size_t kWhole = 0x8000;
    constexpr std::size_t kPiece = 0x4000;
    if (bytes.size() <= kWhole) {
        Md5(bytes, entry.quickMd5);
    } else {
        Md5(bytes.substr(0, kPiece) + bytes.substr(bytes.size() - kPiece), entry.quickMd5);
    }
}

bool ReadFile(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

}  // namespace VersionWriter
