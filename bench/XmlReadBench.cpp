// Parses a patch history of about 5 MB, shaped like the update server's
// PatchesHistory.xdb, with the launcher's readers and with TinyXML, from the same bytes
// in memory and in the same run. Each side builds its tree, walks it (elements,
// attributes and the sum of the "weight" attributes, which must agree) and frees it.
// Prints the times (best of several rounds), MB/s and the ratio TinyXML / launcher
// (1.00 or above: the launcher is no slower).
#include <tinyxml.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <string_view>

#include "base/xml/XMLNodes.h"
#include "base/xml/XmlNumbers.h"
#include "base/xml/XmlReader.h"

namespace {

constexpr std::size_t kTargetSize = 5'000'000;
constexpr int kRounds = 5;

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

double MBPerSecond(std::size_t bytes, double seconds) { return bytes / seconds / 1e6; }

// What a walk of the parsed tree found; both parsers must find the same.
struct Tally {
    std::uint64_t elements = 0;
    std::uint64_t attributes = 0;
    std::int64_t weights = 0;

    bool operator==(const Tally&) const = default;

    void Attribute(std::string_view name, std::string_view value) {
        ++attributes;
        int weight = 0;
        if (name == "weight" && XmlTextToInt(value.data(), value.size(), &weight)) weights += weight;
    }
};

std::string VersionText(int major, int minor, int build) {
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(build);
}

// The server's layout: tab indents, CRLF line ends, versions holding their updates,
// update fields both as attributes and as children.
std::string MakeHistory() {
    std::mt19937 random(5);
    std::string out;
    out.reserve(kTargetSize + 4096);
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
    out += "<History build=\"2024\">\r\n";
    out += "\t<versionFile>game.version</versionFile>\r\n";
    out += "\t<ripTorrentFile>rip/Rip_5.2.17.torrent</ripTorrentFile>\r\n";
    out += "\t<repairInstallerFile>repair/Installer &amp; Tools.exe</repairInstallerFile>\r\n";
    out += "\t<versions>\r\n";
    for (int n = 0; out.size() < kTargetSize; ++n) {
        const std::string number = VersionText(5 + n / 10000, n / 100 % 100, n % 100);
        const bool critical = random() % 7 == 0;
        out += "\t\t<Item>\r\n";
        if (n % 50 == 0) out += "\t\t\t<!-- release " + number + " -->\r\n";
        out += "\t\t\t<versionNumber>" + number + "</versionNumber>\r\n";
        out += std::string("\t\t\t<isCritical>") + (critical ? "true" : "false") + "</isCritical>\r\n";
        out += "\t\t\t<updates>\r\n";
        const int updates = 1 + static_cast<int>(random() % 6);
        for (int u = 0; u < updates; ++u) {
            const int from = n - 1 - u * static_cast<int>(1 + random() % 3);
            const std::string source = from < 0 ? std::string("5.0.0") : VersionText(5 + from / 10000, from / 100 % 100, from % 100);
            const int weight = static_cast<int>(random() % 200000) - 1000;
            out += "\t\t\t\t<Item varaRurezodID=\"0x" + std::to_string(10 + random() % 90) + "\" weight=\"" +
                   std::to_string(weight) + "\">\r\n";
            out += "\t\t\t\t\t<patchedTo>" + number + "</patchedTo>\r\n";
            out += "\t\t\t\t\t<torrentFile>patches/" + source + "-" + number +
                   (random() % 97 == 0 ? "_maps&amp;sounds" : "") + ".torrent</torrentFile>\r\n";
            out += std::string("\t\t\t\t\t<beaten>") + (random() % 3 == 0 ? "true" : "false") + "</beaten>\r\n";
            out += "\t\t\t\t</Item>\r\n";
        }
        out += "\t\t\t</updates>\r\n";
        out += "\t\t</Item>\r\n";
    }
    out += "\t</versions>\r\n";
    out += "</History>\r\n";
    return out;
}

void WalkReader(const NXml::CXmlNode& node, Tally& tally) {
    ++tally.elements;
    for (const NXml::CXmlAttr* attr : node.Attributes()) tally.Attribute(attr->name.View(), attr->value.View());
    for (const NXml::CXmlNode* child : node.Children()) WalkReader(*child, tally);
}

void WalkDocument(const NLXML::CXMLMultiNode& node, Tally& tally) {
    for (std::size_t i = 0; i < node.ChildCount(); ++i) {
        const NLXML::CXMLNode* child = node.ChildAt(i);
        if (child->GetType() != NLXML::CXMLNode::kElement) continue;
        const auto& element = static_cast<const NLXML::CXMLElement&>(*child);
        ++tally.elements;
        for (std::size_t a = 0; a < element.AttributeCount(); ++a) {
            const NLXML::CXMLAttribute* attribute = element.AttributeAt(a);
            tally.Attribute(attribute->Name().View(), attribute->Value().View());
        }
        WalkDocument(element, tally);
    }
}

void WalkTiny(const TiXmlElement& element, Tally& tally) {
    ++tally.elements;
    for (const TiXmlAttribute* attr = element.FirstAttribute(); attr; attr = attr->Next()) {
        tally.Attribute(attr->Name(), attr->Value());
    }
    for (const TiXmlElement* child = element.FirstChildElement(); child; child = child->NextSiblingElement()) {
        WalkTiny(*child, tally);
    }
}

// The reader the launcher reads the server's documents with (under CXMLChunkSaver).
double ParseWithReader(const std::string& text, Tally& tally) {
    const auto start = std::chrono::steady_clock::now();
    {
        NXml::CXmlReader reader(text.data(), text.data() + text.size());
        tally = {};
        WalkReader(reader.Root(), tally);
    }
    return Seconds(std::chrono::steady_clock::now() - start);
}

// The document model's parser, which decodes entities and checks closing names.
double ParseWithDocument(const std::string& text, Tally& tally) {
    const auto start = std::chrono::steady_clock::now();
    {
        NLXML::CXMLDocument document;
        if (!document.Parse(text.data(), text.data() + text.size())) {
            std::fprintf(stderr, "the document model rejected the history\n");
            std::exit(1);
        }
        tally = {};
        WalkDocument(document, tally);
    }
    return Seconds(std::chrono::steady_clock::now() - start);
}

double ParseWithTinyXml(const std::string& text, Tally& tally) {
    const auto start = std::chrono::steady_clock::now();
    {
        TiXmlDocument document;
        document.Parse(text.c_str(), nullptr, TIXML_ENCODING_UTF8);
        if (document.Error() || !document.RootElement()) {
            std::fprintf(stderr, "TinyXML: %s\n", document.ErrorDesc());
            std::exit(1);
        }
        tally = {};
        WalkTiny(*document.RootElement(), tally);
    }
    return Seconds(std::chrono::steady_clock::now() - start);
}

bool Agree(const char* name, const Tally& ours, const Tally& tiny) {
    if (ours == tiny) return true;
    std::fprintf(stderr, "%s found %llu elements, %llu attributes, weights %lld; TinyXML %llu, %llu, %lld\n", name,
                 static_cast<unsigned long long>(ours.elements), static_cast<unsigned long long>(ours.attributes),
                 static_cast<long long>(ours.weights), static_cast<unsigned long long>(tiny.elements),
                 static_cast<unsigned long long>(tiny.attributes), static_cast<long long>(tiny.weights));
    return false;
}

}  // namespace

int main() {
    const std::string text = MakeHistory();
    double reader = 1e9;
    double document = 1e9;
    double tiny = 1e9;
    Tally readerTally, documentTally, tinyTally;
    for (int round = 0; round < kRounds; ++round) {
        reader = std::min(reader, ParseWithReader(text, readerTally));
        document = std::min(document, ParseWithDocument(text, documentTally));
        tiny = std::min(tiny, ParseWithTinyXml(text, tinyTally));
    }
    if (!Agree("CXmlReader", readerTally, tinyTally) || !Agree("CXMLDocument", documentTally, tinyTally)) return 1;
    std::printf("%zu bytes, %llu elements, %llu attributes\n", text.size(),
                static_cast<unsigned long long>(tinyTally.elements), static_cast<unsigned long long>(tinyTally.attributes));
    std::printf("launcher CXmlReader:   %6.1f ms, %6.1f MB/s\n", reader * 1000, MBPerSecond(text.size(), reader));
    std::printf("launcher CXMLDocument: %6.1f ms, %6.1f MB/s\n", document * 1000, MBPerSecond(text.size(), document));
    std::printf("TinyXML:               %6.1f ms, %6.1f MB/s\n", tiny * 1000, MBPerSecond(text.size(), tiny));
    std::printf("ratio (TinyXML / CXmlReader):   %.2f\n", tiny / reader);
    std::printf("ratio (TinyXML / CXMLDocument): %.2f\n", tiny / document);
    return 0;
}
