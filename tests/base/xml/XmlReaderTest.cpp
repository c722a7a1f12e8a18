#include "base/xml/XmlReader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "base/xml/ObjectRef.h"
#include "support/TestDataFile.h"

using NXml::CXmlNode;
using NXml::CXmlReader;

namespace {

ObjectRef<CXmlReader> Read(const std::string& text) {
    return ObjectRef<CXmlReader>(new CXmlReader(text.data(), text.data() + text.size()));
}

std::string Sample(const char* name) { return ReadTestDataFile(LAUNCHER_TEST_DATA, std::string("base/xml/data/") + name); }

std::string TextOf(CXmlNode* node) { return node ? std::string(node->Text().View()) : "<missing>"; }

TEST(XmlReader, CurrentVersionSampleWithBomDeclarationAndComment) {
    auto reader = Read(Sample("CurrentVersion.xdb"));
    CXmlNode& root = reader->Root();
    EXPECT_EQ(root.Name().View(), "CurrentVersion");
    EXPECT_EQ(TextOf(root.FindChild("gameVersion")), "5.2.17");
    EXPECT_EQ(TextOf(root.FindChild("launcherVersion")), "1.4.2");
    EXPECT_EQ(TextOf(root.FindChild("prepatchVersion")), "");
    EXPECT_EQ(root.FindChild("missing"), nullptr);
}

TEST(XmlReader, ContentRules) {
    struct Case {
        const char* xml;
        const char* rootName;
        std::size_t children;
        const char* text;
    };
    const Case cases[] = {
        {"<r/>", "r", 0, ""},
        {"<r />", "r", 0, ""},
        {"<r>a<c/>b</r>", "r", 1, "b"},
        {"<r>  keep trailing  <c/></r>", "r", 1, "keep trailing  "},
        {"<r>   <c/>  </r>", "r", 1, ""},
        {"<r><a></b><c/></r>", "r", 2, ""},  // an end tag closes whatever it names
        {"<r><!-- <x/> --><c/></r>", "r", 1, ""},
        {"<r a=\"1\" b='2' c=\"3\"><c/></r>", "r", 0, ""},  // a single quote ends the element's tag
        {"no markup at all", "", 0, ""},
        {"", "", 0, ""},
    };
    for (const Case& c : cases) {
        auto reader = Read(c.xml);
        CXmlNode& root = reader->Root();
        EXPECT_EQ(root.Name().View(), c.rootName) << c.xml;
        EXPECT_EQ(root.Children().Size(), c.children) << c.xml;
        EXPECT_EQ(root.Text().View(), c.text) << c.xml;
    }
    auto quoted = Read("<r a=\"1\" b='2' c=\"3\"/>");
    ASSERT_EQ(quoted->Root().Attributes().Size(), 1u);
    EXPECT_EQ(quoted->Root().Attributes()[0]->value.View(), "1");
}

TEST(XmlReader, FindIsCyclicFromTheLastPosition) {
    auto reader = Read("<r><a>1</a><b/><a>2</a></r>");
    CXmlNode& root = reader->Root();
    EXPECT_EQ(TextOf(root.FindChild("a")), "1");
    EXPECT_EQ(TextOf(root.FindChild("a")), "2");
    EXPECT_EQ(TextOf(root.FindChild("a")), "1");

    auto fresh = Read("<r><a>1</a><b/><a>2</a></r>");
    EXPECT_EQ(fresh->Root().FindChild("x"), nullptr);
    EXPECT_EQ(TextOf(fresh->Root().FindChild("a")), "2");  // the search went on from the second child
}

TEST(XmlReader, ShortcutsAndRawAttributeValues) {
    auto reader = Read("<r href=\"a\" data=\"x&amp;y\" href=\"b\"/>");
    ASSERT_NE(reader->Root().Href(), nullptr);
    EXPECT_EQ(reader->Root().Href()->value.View(), "b");
    EXPECT_EQ(reader->Root().Data()->value.View(), "x&amp;y");
}

TEST(XmlReader, DecodeEntities) {
    struct Case {
        const char* in;
        std::string out;
    };
    const Case cases[] = {
        {"x &amp; y", "x & y"},           {"&#x41;", "A"},        {"&#x6a;&#x4A;", "jJ"},
        {"&copy; &#65;", "&copy; &#65;"}, {"&#xZZ;", "&#xZZ;"},   {"&#x4", "&#x4"},
        {"&lt;&gt;&quot;&apos;", "<>\"'"}, {"&amp", "&amp"},      {"&#x00;", std::string(1, '\0')},
    };
    for (const Case& c : cases) {
        String text(c.in);
        NXml::DecodeEntities(text);
        EXPECT_EQ(std::string(text.View()), c.out) << c.in;
    }
}

TEST(XmlReader, HostileInputStaysInsideTheText) {
    std::string deep;
    for (int i = 0; i < 100000; ++i) deep += "<a>";
    auto reader = Read(deep);
    std::size_t depth = 0;
    for (CXmlNode* node = &reader->Root(); !node->Children().Empty(); node = node->Children()[0]) ++depth;
    EXPECT_LT(depth, 300u);

    std::string many = "<r";
    for (int i = 0; i < 100000; ++i) many += " a=\"1\"";
    many += "/>";
    EXPECT_EQ(Read(many)->Root().Attributes().Size(), 100000u);

    const std::string nul("<r>a\0<c/></r>", 13);
    EXPECT_EQ(Read(nul)->Root().Text().View(), "a");  // the text ends at its first NUL
}

TEST(XmlReader, EveryTruncationOfTheSamplesParses) {
    for (const char* name : {"CurrentVersion.xdb", "PatchesHistory.xdb", "patching.cmd"}) {
        const std::string text = Sample(name);
        ASSERT_FALSE(text.empty()) << name;
        for (std::size_t n = 0; n <= text.size(); ++n) {
            std::unique_ptr<char[]> exact(new char[n]);
            std::memcpy(exact.get(), text.data(), n);
            CXmlReader reader(exact.get(), exact.get() + n);
            if (n == text.size()) {
                EXPECT_FALSE(reader.Root().Children().Empty()) << name;
            }
        }
    }
    for (const char* edge : {"<", "<!", "<r/", "<r a", "<r a=", "<r a=\"", "<r><!--", "<r></", "<?", "<r>&#x"}) {
        const std::size_t n = std::char_traits<char>::length(edge);
        std::unique_ptr<char[]> exact(new char[n]);
        std::memcpy(exact.get(), edge, n);
        CXmlReader reader(exact.get(), exact.get() + n);
    }
}

TEST(XmlReader, ClearLeavesAnEmptyReader) {
    auto reader = Read("<r><c/></r>");
    reader->Clear();
    EXPECT_TRUE(reader->Root().Children().Empty());
    EXPECT_TRUE(reader->Root().Name().IsEmpty());
}

}  // namespace
