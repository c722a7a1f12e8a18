#include "PatchMaker.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <zlib.h>

#include "SamplePatch.h"

namespace fs = std::filesystem;

namespace SamplePatch {
namespace {

void Put16(std::string& out, std::uint32_t value) {
    out.push_back(static_cast<char>(value & 0xff));
    out.push_back(static_cast<char>((value >> 8) & 0xff));
}

void Put32(std::string& out, std::uint32_t value) {
    Put16(out, value & 0xffff);
    Put16(out, value >> 16);
}

std::string Deflate(const std::string& data) {
    z_stream stream {};
    deflateInit2(&stream, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

// The relative paths of a tree's regular files, with their bytes read on demand.
std::map<std::string, fs::path> FilesOf(const std::string& tree, const std::vector<std::string>& excluded) {
    std::map<std::string, fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(tree)) {
        if (!entry.is_regular_file()) continue;
        const std::string relative = fs::relative(entry.path(), tree).generic_string();
        if (std::find(excluded.begin(), excluded.end(), relative) == excluded.end()) files[relative] = entry.path();
    }
    return files;
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

std::string BuildZip(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string archive, directory;
    for (const auto& [name, content] : entries) {
        const std::string packed = Deflate(content);
        const std::uint32_t crc = Crc32(content);
        const auto offset = static_cast<std::uint32_t>(archive.size());
        // Local header: version 20, UTF-8 names, deflated, a fixed DOS time.
        Put32(archive, 0x04034b50);
        Put16(archive, 20);
        Put16(archive, 0x0800);
        Put16(archive, 8);
        Put32(archive, 0x42A10000);
        Put32(archive, crc);
        Put32(archive, static_cast<std::uint32_t>(packed.size()));
        Put32(archive, static_cast<std::uint32_t>(content.size()));
        Put16(archive, static_cast<std::uint32_t>(name.size()));
        Put16(archive, 0);
        archive += name;
        archive += packed;

        Put32(directory, 0x02014b50);
        Put16(directory, 20);
        Put16(directory, 20);
        Put16(directory, 0x0800);
        Put16(directory, 8);
        Put32(directory, 0x42A10000);
        Put32(directory, crc);
        Put32(directory, static_cast<std::uint32_t>(packed.size()));
        Put32(directory, static_cast<std::uint32_t>(content.size()));
        Put16(directory, static_cast<std::uint32_t>(name.size()));
        Put16(directory, 0);  // extra
        Put16(directory, 0);  // comment
        Put16(directory, 0);  // disk
        Put16(directory, 0);  // internal attributes
        Put32(directory, 0);  // external attributes
        Put32(directory, offset);
        directory += name;
    }
    const auto directoryOffset = static_cast<std::uint32_t>(archive.size());
    archive += directory;
    Put32(archive, 0x06054b50);
    Put16(archive, 0);
    Put16(archive, 0);
    Put16(archive, static_cast<std::uint32_t>(entries.size()));
    Put16(archive, static_cast<std::uint32_t>(entries.size()));
    Put32(archive, static_cast<std::uint32_t>(directory.size()));
    Put32(archive, directoryOffset);
    Put16(archive, 0);
    return archive;
}

bool MakePatch(const MakeRequest& request, const std::string& outPath, std::string& error) {
    try {
        const auto before = FilesOf(request.fromTree, request.excluded);
        const auto after = FilesOf(request.toTree, request.excluded);
        Manifest manifest;
        manifest.from = request.fromVersion;
        manifest.to = request.toVersion;
        std::vector<std::pair<std::string, std::string>> entries;
        entries.emplace_back(kManifestName, "");
        std::uint64_t total = 0;
        for (const auto& [relative, path] : after) {
            if (!IsSafePath(relative)) {
                error = "a file name the patch cannot carry: " + relative;
                return false;
            }
            std::string bytes = ReadAll(path);
            const auto old = before.find(relative);
            if (old != before.end() && ReadAll(old->second) == bytes) continue;
            manifest.puts.push_back({relative, bytes.size(), Crc32(bytes)});
            total += bytes.size();
            entries.emplace_back(kFilesFolder + relative, std::move(bytes));
        }
        for (const auto& [relative, path] : before)
            if (!after.count(relative)) manifest.removes.push_back(relative);
        if (total > 0xF0000000u) {
            error = "a patch of more than 3.75 GiB";
            return false;
        }
        entries.front().second = Print(manifest);
        const std::string archive = BuildZip(entries);
        const std::string temp = outPath + ".part";
        if (fs::path(outPath).has_parent_path()) fs::create_directories(fs::path(outPath).parent_path());
        {
            std::ofstream out(temp, std::ios::binary | std::ios::trunc);
            out.write(archive.data(), static_cast<std::streamsize>(archive.size()));
            if (!out.flush()) {
                error = "cannot write " + temp;
                return false;
            }
        }
        fs::rename(temp, outPath);
        return true;
    } catch (const std::exception& exception) {
        error = exception.what();
        return false;
    }
}

}  // namespace SamplePatch
