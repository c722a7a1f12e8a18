#include <gtest/gtest.h>

#include <tinyxml.h>

#include <string>

#include "hublink/XmlLimits.h"

namespace {

// How deep TinyXML itself nests the elements it parsed.
int ElementDepth(const TiXmlNode& node) {
    int deepest = 0;
    for (const TiXmlNode* child = node.FirstChild(); child; child = child->NextSibling()) {
        const int depth = ElementDepth(*child) + (child->ToElement() ? 1 : 0);
        if (depth > deepest) deepest = depth;
    }
    return deepest;
}

std::string Repeat(const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

TEST(HubXmlLimits, CountsNestingAsTinyXmlReadsIt) {
    constexpr int kDepth = 3;
    struct Case {
        std::string text;
        bool fits;
    };
    const Case cases[] = {
        {"<a><b><c /></b></a>", true},
        {"<a><b><c><d /></c></b></a>", false},
        {"<a></a><b><c/></b><d/>", true},
        {"<a><b><c><d", false},  // TinyXML links an element before it reads its tag
        // End tags that TinyXML does not see as end tags must not make room.
        {"<a><!-- </a></a> --><b><c><d/></c></b></a>", false},
        {"<a><![CDATA[</a></a>]]><b><c><d/></c></b></a>", false},
        {"<a x='</a></a>'><b><c><d/></c></b></a>", false},
        {"<a x=\"/>\"><b><c><d/></c></b></a>", false},
        {"<a x=\"'\" y='\"'><b><c/></b></a>", true},
        // Start tags that TinyXML does not see as elements are not counted.
        {"<a><!-- <b><c><d> --></a>", true},
        {"<a>< b><1c><:d></a>", true},
        {"<a><!DOCTYPE x><?pi x?><b/></a>", true},
        // Declarations: plain ones pass, ones whose end TinyXML could read differently do not.
        {"<?xml version=\"1.0\" encoding='UTF-8' standalone=\"yes\"?><a><b/></a>", true},
        {"<?XML version=1.0?><a/>", true},
        {"<?xml version=\">  <!--\" ?><a><b><c><d/></c></b></a>-->", false},
        {"<?xml foo=a\"b version=\"c>\"?><a/>", false},
        {"<?xml version=\"1 0\"?><a/>", false},
        {"<?xml version=\"1.0?><a/>", false},
        // Text TinyXML could step over without looking.
        {"<a>caf\xC3\xA9</a>", true},
        {"<a>\xC3</a>", false},
        {"<a x='\xE2\x82", false},
        {"<a>\xED\xA0\x80</a>", false},
        {Repeat("<a>", 10000), false},
        {Repeat("<a/>", 10000), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 80));
        const bool fits = VTInterCom::FitsXmlLimits(c.text.data(), c.text.size(), kDepth);
        EXPECT_EQ(fits, c.fits);
        if (!fits) continue;
        TiXmlDocument document;
        document.Parse(c.text.c_str(), nullptr, TIXML_ENCODING_UTF8);
        EXPECT_LE(ElementDepth(document), kDepth);
    }
}

}  // namespace
