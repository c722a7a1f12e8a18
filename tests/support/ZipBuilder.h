#pragma once
// A test-only writer of ZIP archives with hand-made headers, so that tests can build
// exactly the layouts (and the damage) they need. Deflated data comes from zlib.
#include <cstdint>
#include <string>
#include <vector>

std::string DeflateRaw(const std::string& data);
std::string DeflateZlib(const std::string& data);

class ZipBuilder {
public:
    struct Entry {
        std::string name;
        std::string data;             // uncompressed content
        std::uint16_t method = 0;     // 0 stored, 8 deflated, anything else written as stored bytes
        bool dataDescriptor = false;  // flag 8: zero sizes in the local header, a descriptor after the data
        std::uint32_t attributes = 0;
        std::uint32_t dosTime = 0x42A10000;
        std::string extra;
        std::string comment;
    };

    ZipBuilder& Add(const Entry& entry) {
        entries_.push_back(entry);
        return *this;
    }
    ZipBuilder& Add(const std::string& name, const std::string& data, std::uint16_t method = 0) {
        Entry entry;
        entry.name = name;
        entry.data = data;
        entry.method = method;
        return Add(entry);
    }
    ZipBuilder& Comment(const std::string& comment) {
        comment_ = comment;
        return *this;
    }
    // Declares a directory size this many bytes off the true one.
    ZipBuilder& DirectorySizeDelta(std::int64_t delta) {
        directorySizeDelta_ = delta;
        return *this;
    }

    std::string Build() const;

    // Where Build put each structure, for tests that damage one field.
    struct Layout {
        std::vector<std::size_t> localHeaders;
        std::vector<std::size_t> centralEntries;
        std::size_t directory = 0;
        std::size_t end = 0;
    };
    const Layout& LastLayout() const { return layout_; }

private:
    std::vector<Entry> entries_;
    std::string comment_;
    std::int64_t directorySizeDelta_ = 0;
    mutable Layout layout_;
};

// Little-endian field writers for patching built archives.
void Put16(std::string& bytes, std::size_t at, std::uint16_t value);
void Put32(std::string& bytes, std::size_t at, std::uint32_t value);
