// Feeds arbitrary bytes to the XML reader, the document parser and a reading saver.
#include <cstddef>
#include <cstdint>

#include "base/xml/ObjectRef.h"
#include "base/xml/XMLChunkSaver.h"
#include "base/xml/XMLNodes.h"

namespace {

// Touches every node and attribute, so that a bad slice shows up under ASan.
std::size_t Walk(NXml::CXmlNode& node, int depth) {
    std::size_t total = node.Name().length + node.Text().length;
    for (const NXml::CXmlAttr* attr : node.Attributes()) {
        String value = attr->value.ToString();
        NXml::DecodeEntities(value);
        total += attr->name.length + value.Length();
    }
    if (depth < 300) {
        for (NXml::CXmlNode* child : node.Children()) total += Walk(*child, depth + 1);
    }
    return total;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    {
        NXml::CXmlReader reader(text, text + size);
        Walk(reader.Root(), 0);
    }
    {
        NLXML::CXMLDocument document;
        document.Parse(text, text + size);
        NLXML::CXMLStringSink sink;
        NLXML::CXMLOutput out(sink);
        document.Print(out, String());
        out.Flush();
    }
    ObjectRef<CXMLChunkSaver> saver(CXMLChunkSaver::OpenReading(text, size, String("a/b.xml")));
    if (saver) {
        int number = 0;
        double real = 0;
        String value;
        saver->ItemInt("n", &number);
        saver->ItemDouble("d", &real);
        saver->AttrText("href", value);
        for (int i = 1; i <= saver->ChildCount() && i < 64; ++i) {
            if (saver->OpenChild("Item", i)) {
                saver->Value(value);
                saver->CloseChild();
            }
        }
    }
    return 0;
}
