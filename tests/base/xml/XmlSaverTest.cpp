#include "base/xml/XMLChunkSaver.h"

#include <gtest/gtest.h>

#include <string>

#include "base/io/MemoryStream.h"
#include "base/xml/XmlExchange.h"
#include "support/TestDataFile.h"

namespace {

std::string Sample(const char* name) { return ReadTestDataFile(LAUNCHER_TEST_DATA, std::string("base/xml/data/") + name); }

ObjectRef<CXMLChunkSaver> Reading(const std::string& text, const String& path = String()) {
    return ObjectRef<CXMLChunkSaver>(CXMLChunkSaver::OpenReading(text.data(), text.size(), path));
}

std::string Utf8(const WideString& wide) { return String(wide).Std(); }

void WideText(IXmlSaver& saver, const char* name, WideString& field) {
    if (XmlChildScope child(saver, name); child) saver.ValueWide(field);
}

// The shapes of the server's patch history, described once for reading and writing.
struct Update {
    bool beaten = false;
    int varaRurezodID = 0;
    int weight = 0;
    WideString patchedTo, torrentFile;
    void Exchange(IXmlSaver& saver) {
        XmlBool(saver, "beaten", 0, &beaten);
        XmlInt(saver, "varaRurezodID", 0, &varaRurezodID);
        XmlInt(saver, "weight", 0, &weight);
        WideText(saver, "patchedTo", patchedTo);
        WideText(saver, "torrentFile", torrentFile);
    }
};

struct Version {
    WideString versionNumber;
    bool isCritical = false;
    Vector<Update> updates;
    void Exchange(IXmlSaver& saver) {
        WideText(saver, "versionNumber", versionNumber);
        XmlBool(saver, "isCritical", 0, &isCritical);
        if (XmlChildScope list(saver, "updates"); list) XmlArray(saver, "updates", updates);
    }
};

struct History {
    WideString ripTorrentFile, versionFile, repairInstallerFile, oldVersionNumber;
    Vector<Version> versions;
    void Exchange(IXmlSaver& saver) {
        WideText(saver, "ripTorrentFile", ripTorrentFile);
        WideText(saver, "versionFile", versionFile);
        WideText(saver, "repairInstallerFile", repairInstallerFile);
        WideText(saver, "oldVersionNumber", oldVersionNumber);  // missing: must not close the root
        if (XmlChildScope list(saver, "versions"); list) XmlArray(saver, "versions", versions);
    }
};

TEST(XmlSaver, ReadsTheHandWrittenPatchHistory) {
    auto saver = Reading(Sample("PatchesHistory.xdb"));
    ASSERT_TRUE(saver);
    History history;
    history.Exchange(*saver);
    EXPECT_EQ(Utf8(history.ripTorrentFile), "rip/Rip_5.2.17.torrent");
    EXPECT_EQ(Utf8(history.versionFile), "game.version");
    EXPECT_EQ(Utf8(history.repairInstallerFile), "repair/Installer & Tools.exe");
    EXPECT_TRUE(history.oldVersionNumber.IsEmpty());
    ASSERT_EQ(history.versions.Size(), 4u);

    EXPECT_EQ(Utf8(history.versions[0].versionNumber), "5.2.15");
    EXPECT_TRUE(history.versions[0].updates.Empty());

    const Version& second = history.versions[1];  // named "version", fields as attributes
    EXPECT_TRUE(second.isCritical);
    ASSERT_EQ(second.updates.Size(), 1u);
    EXPECT_EQ(second.updates[0].varaRurezodID, 31);
    EXPECT_EQ(second.updates[0].weight, -3);
    EXPECT_EQ(Utf8(second.updates[0].torrentFile), "patches/5.2.15-5.2.16.torrent");

    EXPECT_TRUE(history.versions[2].versionNumber.IsEmpty());  // "skiped": defaults kept

    const Version& last = history.versions[3];  // children reordered
    EXPECT_EQ(Utf8(last.versionNumber), "5.2.17");
    ASSERT_EQ(last.updates.Size(), 2u);
    EXPECT_TRUE(last.updates[0].beaten);
    EXPECT_EQ(last.updates[0].varaRurezodID, 12);
    EXPECT_EQ(last.updates[0].weight, 7);
    EXPECT_EQ(last.updates[1].weight, 0);  // 99999999999 is out of range: not a wrapped value
    EXPECT_EQ(Utf8(last.updates[1].patchedTo), "5.2.17");
}

TEST(XmlSaver, MissingChildDoesNotDerailLaterReads) {
    auto saver = Reading(Sample("CurrentVersion.xdb"));
    WideString game, prepatch, launcher, absent;
    WideText(*saver, "absent", absent);
    WideText(*saver, "gameVersion", game);
    WideText(*saver, "prepatchVersion", prepatch);
    WideText(*saver, "launcherVersion", launcher);
    EXPECT_EQ(Utf8(game), "5.2.17");
    EXPECT_EQ(Utf8(launcher), "1.4.2");
    EXPECT_TRUE(prepatch.IsEmpty());
    // Two lookups of one name find its two elements in turn; the saver's own look for
    // "SharedClasses" has already moved the root's search on by one child.
    auto twice = Reading("<r><v>1</v><v>2</v></r>");
    WideString first, second;
    WideText(*twice, "v", first);
    WideText(*twice, "v", second);
    EXPECT_EQ(Utf8(first) + Utf8(second), "21");
}

TEST(XmlSaver, ItemRules) {
    auto saver = Reading("<Other n=\"5\" e=\"\" f=\"1.5e-2\"><c>0x1F</c><d>-12abc</d><big>2147483648</big>"
                         "<z></z><item data=\"9\"/></Other>");
    int value = 77;
    EXPECT_TRUE(saver->ItemInt("c", &value));
    EXPECT_EQ(value, 31);
    EXPECT_TRUE(saver->ItemInt("d", &value));
    EXPECT_EQ(value, -12);
    EXPECT_TRUE(saver->ItemInt("n", &value));  // an attribute of the current node
    EXPECT_EQ(value, 5);
    value = 77;
    EXPECT_FALSE(saver->ItemInt("big", &value));  // out of range
    EXPECT_FALSE(saver->ItemInt("z", &value));    // empty element
    EXPECT_TRUE(saver->ItemInt("missing", &value));
    EXPECT_TRUE(saver->ItemInt("e", &value));
    EXPECT_EQ(value, 77);
    EXPECT_TRUE(saver->ItemInt("Item", &value));  // the child "item" and its "data"
    EXPECT_EQ(value, 9);

    float f = 0;
    EXPECT_FALSE(saver->ItemFloat("missing", &f));
    EXPECT_TRUE(saver->ItemFloat("f", &f));
    EXPECT_FLOAT_EQ(f, 0.015f);
    double d = 1;
    EXPECT_TRUE(saver->ItemDouble("z", &d));  // an empty element reads as 0
    EXPECT_EQ(d, 0.0);
    bool b = true;
    EXPECT_FALSE(saver->ItemBool("missing", &b));
}

TEST(XmlSaver, AttributesAreDecodedAndHrefsResolved) {
    auto saver = Reading("<r name=\"a&amp;b &#x41;\" a=\"/textures/a.dds\" href=\"a.dds\"/>", "data/maps/m.xml");
    WideString wide;
    EXPECT_TRUE(saver->AttrWide("name", wide));
    EXPECT_EQ(Utf8(wide), "a&b A");
    String text;
    EXPECT_FALSE(saver->AttrText("none", text));
    EXPECT_TRUE(saver->AttrText("href", text));
    EXPECT_EQ(text.Std(), "data/maps/a.dds");

    auto absolute = Reading("<r href=\"/textures/a.dds\"/>");
    EXPECT_TRUE(absolute->AttrText("href", text));
    EXPECT_EQ(text.Std(), "textures/a.dds");
    auto climbing = Reading("<r href=\"../b/c.dds\"/>", "data/maps/m.xml");
    EXPECT_TRUE(climbing->AttrText("href", text));
    EXPECT_EQ(text.Std(), "data/b/c.dds");
}

TEST(XmlSaver, ValueDataDecodesOnlyWhatFits) {
    auto saver = Reading("<r><ok>00ff7A</ok><odd>abc</odd><long>00112233</long><empty/></r>");
    unsigned char bytes[3] = {1, 2, 3};
    EXPECT_TRUE(saver->ValueData("ok", bytes, 3));
    EXPECT_EQ(bytes[1], 0xff);
    EXPECT_EQ(bytes[2], 0x7a);
    EXPECT_FALSE(saver->ValueData("odd", bytes, 3));
    EXPECT_FALSE(saver->ValueData("long", bytes, 3));
    EXPECT_EQ(bytes[2], 0x7a);  // untouched by the refused texts
    EXPECT_TRUE(saver->ValueData("empty", bytes, 3));
    EXPECT_EQ(bytes[0] | bytes[1] | bytes[2], 0);
    EXPECT_FALSE(saver->ValueData("absent", bytes, 3));
}

// The patch plan's record, with a list and nested lists.
struct PlanEntry {
    WideString version, gameVersionFile;
    Vector<WideString> patchFiles;
    std::int64_t size = 0;
    double ratio = 0;
    void Exchange(IXmlSaver& saver) {
        WideText(saver, "version", version);
        WideText(saver, "gameVersionFile", gameVersionFile);
        if (XmlChildScope list(saver, "patchFiles"); list) {
            if (saver.IsReading()) patchFiles.Resize(static_cast<std::size_t>(saver.ChildCount()));
            for (std::size_t i = 0; i < patchFiles.Size(); ++i) {
                if (XmlChildScope item(saver, "Item", static_cast<int>(i + 1)); item) saver.ValueWide(patchFiles[i]);
            }
        }
        saver.ItemInt64("size", &size);
        saver.ItemDouble("ratio", &ratio);
    }
};

struct Plan {
    Vector<PlanEntry> entries;
    void Exchange(IXmlSaver& saver) {
        String format("multi");
        if (XmlChildScope child(saver, "format"); child) saver.Value(format);
        if (XmlChildScope list(saver, "patches"); list) XmlArray(saver, "patches", entries);
    }
};

TEST(XmlSaver, RoundTripThroughAMemoryStreamWithExactBytes) {
    Plan plan;
    plan.entries.Resize(1);
    plan.entries[0].version = WideString(u"5.2.17");
    plan.entries[0].gameVersionFile = WideString(u"../Profiles/game.version");
    plan.entries[0].patchFiles.PushBack(WideString(u"a<&#x41;>\u00e9.vrz"));
    plan.entries[0].size = 4294967296LL;
    plan.entries[0].ratio = 1234567.125;

    RefPtr<CMemoryStream> stream(new CMemoryStream());
    {
        ObjectRef<CXMLChunkSaver> saver(CXMLChunkSaver::Open(stream.Get(), CXMLChunkSaver::kWrite, String()));
        ASSERT_TRUE(saver);
        plan.Exchange(*saver);
        EXPECT_TRUE(saver->Close());
    }
    const std::string printed(reinterpret_cast<const char*>(stream->Data()), stream->Size());
    EXPECT_EQ(printed,
              "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<Base>\r\n\t<format>multi</format>\r\n\t<patches>\r\n"
              "\t\t<Item>\r\n\t\t\t<version>5.2.17</version>\r\n"
              "\t\t\t<gameVersionFile>../Profiles/game.version</gameVersionFile>\r\n"
              "\t\t\t<patchFiles>\r\n\t\t\t\t<Item>a&lt;&#x41;&gt;\xc3\xa9.vrz</Item>\r\n\t\t\t</patchFiles>\r\n"
              "\t\t\t<size>4294967296</size>\r\n\t\t\t<ratio>1234567.125</ratio>\r\n\t\t</Item>\r\n\t</patches>\r\n"
              "</Base>\r\n");

    ObjectRef<CXMLChunkSaver> reader(CXMLChunkSaver::Open(stream.Get(), CXMLChunkSaver::kRead, String()));
    ASSERT_TRUE(reader);
    Plan back;
    back.Exchange(*reader);
    ASSERT_EQ(back.entries.Size(), 1u);
    EXPECT_EQ(back.entries[0].size, 4294967296LL);
    EXPECT_EQ(back.entries[0].ratio, 1234567.125);
    ASSERT_EQ(back.entries[0].patchFiles.Size(), 1u);
    EXPECT_EQ(Utf8(back.entries[0].patchFiles[0]), "a<A>\xc3\xa9.vrz");  // a hex reference reads as its byte
}

TEST(XmlSaver, ReadsTheHandWrittenPlan) {
    auto saver = Reading(Sample("patching.cmd"));
    Plan plan;
    plan.Exchange(*saver);
    ASSERT_EQ(plan.entries.Size(), 2u);
    EXPECT_EQ(Utf8(plan.entries[0].version), "5.2.16");
    ASSERT_EQ(plan.entries[1].patchFiles.Size(), 2u);
    EXPECT_EQ(Utf8(plan.entries[1].patchFiles[0]), "../Patches/5.2.17/a&b.vrz");
}

class RefusingSink final : public NLXML::IXmlSink {
public:
    bool Write(const char*, std::size_t) override { return false; }
};

TEST(XmlSaver, WriteFailuresAndUnusableStreamsAreReported) {
    RefusingSink refusing;
    ObjectRef<CXMLChunkSaver> saver(CXMLChunkSaver::OpenWriting(&refusing, String()));
    int n = 3;
    EXPECT_TRUE(saver->ItemInt("n", &n));
    EXPECT_FALSE(saver->Close());
    EXPECT_FALSE(saver->Close());  // printed once; the failure stays

    RefPtr<CMemoryStream> empty(new CMemoryStream());
    EXPECT_FALSE(CXMLChunkSaver::Open(empty.Get(), CXMLChunkSaver::kRead, String()));
    EXPECT_FALSE(CXMLChunkSaver::Open(nullptr, CXMLChunkSaver::kWrite, String()));
}

TEST(XmlSaver, UnbalancedCloseLeavesNoCurrentNode) {
    auto saver = Reading("<r><a>1</a></r>");
    saver->CloseChild();
    String text;
    EXPECT_FALSE(saver->Value(text));
    EXPECT_FALSE(saver->OpenChild("a"));
    EXPECT_EQ(saver->ChildCount(), 0);
}

}  // namespace
