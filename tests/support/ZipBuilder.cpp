#include "support/ZipBuilder.h"

#include <zlib.h>

#include <stdexcept>

namespace {
std::string Deflate(const std::string& data, int windowBits) {
    z_stream z {};
    if (deflateInit2(&z, 9, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK) throw std::runtime_error("zlib");
    std::string out(deflateBound(&z, data.size()) + 16, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    if (deflate(&z, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("zlib");
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

void Append16(std::string& s, std::uint16_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>(v >> 8);
}
void Append32(std::string& s, std::uint32_t v) {
    Append16(s, static_cast<std::uint16_t>(v & 0xFFFF));
    Append16(s, static_cast<std::uint16_t>(v >> 16));
}
}  // namespace

std::string DeflateRaw(const std::string& data) { return Deflate(data, -MAX_WBITS); }
std::string DeflateZlib(const std::string& data) { return Deflate(data, MAX_WBITS); }

void Put16(std::string& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
}
void Put32(std::string& bytes, std::size_t at, std::uint32_t value) {
    Put16(bytes, at, static_cast<std::uint16_t>(value & 0xFFFF));
    Put16(bytes, at + 2, static_cast<std::uint16_t>(value >> 16));
}

std::string ZipBuilder::Build() const {
    layout_ = Layout{};
    std::string out;
    std::vector<std::string> stored;
    for (const Entry& e : entries_) {
        const std::string body = e.method == 8 ? DeflateRaw(e.data) : e.data;
        stored.push_back(body);
        const std::uint32_t crc = static_cast<std::uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), static_cast<uInt>(e.data.size())));
        layout_.localHeaders.push_back(out.size());
        Append32(out, 0x04034B50);
        Append16(out, 20);
        Append16(out, e.dataDescriptor ? 8 : 0);
        Append16(out, e.method);
        Append32(out, e.dosTime);
        Append32(out, e.dataDescriptor ? 0 : crc);
        Append32(out, e.dataDescriptor ? 0 : static_cast<std::uint32_t>(body.size()));
        Append32(out, e.dataDescriptor ? 0 : static_cast<std::uint32_t>(e.data.size()));
        Append16(out, static_cast<std::uint16_t>(e.name.size()));
        Append16(out, static_cast<std::uint16_t>(e.extra.size()));
        out += e.name + e.extra + body;
        if (e.dataDescriptor) {
            Append32(out, 0x08074B50);
            Append32(out, crc);
            Append32(out, static_cast<std::uint32_t>(body.size()));
            Append32(out, static_cast<std::uint32_t>(e.data.size()));
        }
    }
    layout_.directory = out.size();
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const Entry& e = entries_[i];
        layout_.centralEntries.push_back(out.size());
        Append32(out, 0x02014B50);
        Append16(out, 20);
        Append16(out, 20);
        Append16(out, e.dataDescriptor ? 8 : 0);
        Append16(out, e.method);
        Append32(out, e.dosTime);
        Append32(out, static_cast<std::uint32_t>(
                          crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), static_cast<uInt>(e.data.size()))));
        Append32(out, static_cast<std::uint32_t>(stored[i].size()));
        Append32(out, static_cast<std::uint32_t>(e.data.size()));
        Append16(out, static_cast<std::uint16_t>(e.name.size()));
        Append16(out, static_cast<std::uint16_t>(e.extra.size()));
        Append16(out, static_cast<std::uint16_t>(e.comment.size()));
        Append16(out, 0);
        Append16(out, 0);
        Append32(out, e.attributes);
        Append32(out, static_cast<std::uint32_t>(layout_.localHeaders[i]));
        out += e.name + e.extra + e.comment;
    }
    const std::size_t directorySize = out.size() - layout_.directory;
    layout_.end = out.size();
    Append32(out, 0x06054B50);
    Append16(out, 0);
    Append16(out, 0);
    Append16(out, static_cast<std::uint16_t>(entries_.size()));
    Append16(out, static_cast<std::uint16_t>(entries_.size()));
    Append32(out, static_cast<std::uint32_t>(static_cast<std::int64_t>(directorySize) + directorySizeDelta_));
    Append32(out, static_cast<std::uint32_t>(layout_.directory));
    Append16(out, static_cast<std::uint16_t>(comment_.size()));
    out += comment_;
    return out;
}
