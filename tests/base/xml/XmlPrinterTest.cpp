#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "base/xml/XMLNodes.h"

using namespace NLXML;

namespace {

std::string Print(const CXMLNode& node) {
    CXMLStringSink sink;
    CXMLOutput out(sink);
    node.Print(out, String());
    EXPECT_TRUE(out.Flush());
    return sink.Text().Std();
}

// Refuses every write after the first `accepted` ones.
class FailingSink final : public IXmlSink {
public:
    explicit FailingSink(int accepted) : accepted_(accepted) {}
    bool Write(const char*, std::size_t) override { return accepted_-- > 0; }

private:
    int accepted_;
};

TEST(XmlPrinter, PlanDocumentGoldenBytes) {
    CXMLDocument document;
    document.AppendChild(new CXMLDeclaration());
    auto* base = new CXMLElement("Base");
    document.AppendChild(base);
    auto* format = new CXMLElement("format");
    format->SetText("multi");
    base->AppendChild(format);
    base->AppendChild(new CXMLElement("patches"));
    EXPECT_EQ(Print(document),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n"
              "<Base>\r\n"
              "\t<format>multi</format>\r\n"
              "\t<patches />\r\n"
              "</Base>\r\n");
}

TEST(XmlPrinter, NestingTextAndChildrenIndentByTabs) {
    CXMLElement root("a");
    root.SetText("t");
    auto* b = new CXMLElement("b");
    root.AppendChild(b);
    auto* c = new CXMLElement("c");
    c->SetText("x");
    b->AppendChild(c);
    EXPECT_EQ(Print(root), "<a>\r\n\tt\r\n\t<b>\r\n\t\t<c>x</c>\r\n\t</b>\r\n</a>");
}

TEST(XmlPrinter, EscapesTextAndKeepsOnlyWellFormedHexReferences) {
    struct Case {
        const char* text;
        const char* printed;
    };
    const Case cases[] = {
        {"a<b", "<e>a&lt;b</e>"},
        {"&#x41;", "<e>&#x41;</e>"},
        {"&#x4142;z", "<e>&#x4142;z</e>"},
        {"&amp;", "<e>&amp;amp;</e>"},
        {"&#x41 <\"'>", "<e>&amp;#x41 &lt;&quot;&apos;&gt;</e>"},
        {"&#x;", "<e>&amp;#x;</e>"},
        {"&#xZZ;<", "<e>&amp;#xZZ;&lt;</e>"},
        {"tail &#x", "<e>tail &amp;#x</e>"},
        {"path/&#x41", "<e>path/&amp;#x41</e>"},
    };
    for (const Case& c : cases) {
        CXMLElement e("e");
        e.SetText(c.text);
        EXPECT_EQ(Print(e), c.printed) << c.text;
    }
}

TEST(XmlPrinter, AttributesKeepOrderAndPickQuotes) {
    CXMLElement e("e");
    e.SetAttribute("a", "1");
    e.SetAttribute("q", "say \"hi\"");
    e.SetAttribute("a", "2");  // replaced in place
    EXPECT_EQ(Print(e), "<e a=\"2\" q='say &quot;hi&quot;' />");
    ASSERT_EQ(e.AttributeCount(), 2u);
    EXPECT_EQ(e.FindAttribute("a")->Value(), "2");
}

TEST(XmlPrinter, DocumentPrintsCommentBeforeRootAndNothingAfter) {
    CXMLDocument document;
    auto* comment = new CXMLComment();
    comment->SetValue(" plan ");
    document.AppendChild(comment);
    document.AppendChild(new CXMLElement("root"));
    document.AppendChild(new CXMLElement("after"));
    EXPECT_EQ(Print(document), "<!-- plan -->\r\n<root />\r\n");
}

TEST(XmlPrinter, LargeOutputGoesOutInBlocksAndFailuresAreReported) {
    CXMLElement root("r");
    for (int i = 0; i < 200; ++i) {
        auto* child = new CXMLElement("child");
        child->SetText("some text to make the document longer");
        root.AppendChild(child);
    }
    CXMLStringSink good;
    CXMLOutput out(good);
    root.Print(out, String());
    EXPECT_TRUE(out.Flush());
    EXPECT_GT(good.Text().Length(), 3 * CXMLOutput::kFlushThreshold);

    // A sink that takes the first block and refuses the rest: the failure sticks.
    FailingSink failing(1);
    CXMLOutput partial(failing);
    root.Print(partial, String());
    EXPECT_TRUE(partial.Failed());
    EXPECT_FALSE(partial.Flush());
}

TEST(XmlDocumentParse, BuildsTreeDecodesEntitiesAndPrintsBack) {
    const std::string text =
        "<?xml version='1.0' encoding=\"UTF-8\"?>\r\n<!-- c -->\r\n"
        "<Base a='x&amp;y' b=plain>\r\n <format>multi &lt;1&gt;</format><empty/>\r\n<?pi?></Base>";
    CXMLDocument document;
    EXPECT_NE(document.Parse(text.data(), text.data() + text.size()), nullptr);
    ASSERT_EQ(document.ChildCount(), 3u);
    auto* base = static_cast<CXMLElement*>(document.ChildAt(2));
    ASSERT_EQ(base->GetType(), CXMLNode::kElement);
    EXPECT_EQ(base->FindAttribute("a")->Value(), "x&y");
    EXPECT_EQ(base->FindAttribute("b")->Value(), "plain");
    ASSERT_EQ(base->ChildCount(), 3u);
    EXPECT_EQ(static_cast<CXMLElement*>(base->ChildAt(0))->Text(), "multi <1>");
    EXPECT_EQ(Print(*base),
              "<Base a=\"x&amp;y\" b=\"plain\">\r\n\t<format>multi &lt;1&gt;</format>\r\n\t<empty />\r\n\t<?pi?>\r\n"
              "</Base>");
}

TEST(XmlDocumentParse, TextIsTheLastRunThatIsNotBlankOnceDecoded) {
    const struct {
        const char* document;
        const char* text;
    } cases[] = {
        {"<r>plain words</r>", "plain words"},
        {"<r> leading blanks go, trailing stay  </r>", "leading blanks go, trailing stay  "},
        {"<r>first<c/>second</r>", "second"},
        {"<r>kept<c/>&#x20;</r>", "kept"},  // decodes to a blank: not text
        {"<r>a&amp;b &#x41;</r>", "a&b A"},
    };
    for (const auto& c : cases) {
        CXMLDocument document;
        const std::size_t length = std::char_traits<char>::length(c.document);
        ASSERT_NE(document.Parse(c.document, c.document + length), nullptr) << c.document;
        ASSERT_EQ(document.ChildCount(), 1u) << c.document;
        EXPECT_EQ(static_cast<CXMLElement*>(document.ChildAt(0))->Text(), c.text) << c.document;
    }
}

TEST(XmlDocumentParse, RejectsMismatchedEndTagsTruncationAndDeepNesting) {
    for (const char* bad : {"<a></A>", "<a><b></b>", "<a x='1'", "<a>text", "<a></a", "<a b></a>"}) {
        CXMLDocument document;
        EXPECT_EQ(document.Parse(bad, bad + std::char_traits<char>::length(bad)), nullptr) << bad;
    }
    std::string deep;
    for (int i = 0; i < 100000; ++i) deep += "<a>";
    CXMLDocument document;
    EXPECT_EQ(document.Parse(deep.data(), deep.data() + deep.size()), nullptr);
    // Every prefix of a good document parses or fails without reading past its end.
    const std::string good = "<?xml version=\"1.0\"?><!-- c --><r k=\"v\" u=w><c>t&amp;</c><d/><?p?></r>";
    for (std::size_t n = 0; n <= good.size(); ++n) {
        std::unique_ptr<char[]> exact(new char[n]);  // no terminator: a read past it is caught by ASan
        std::memcpy(exact.get(), good.data(), n);
        CXMLDocument partial;
        partial.Parse(exact.get(), exact.get() + n);
    }
}

}  // namespace
