// The vfs: scheme over a real file system: a ZIP built here (deflated and stored
// entries, nested folders, an empty entry) mounted under a temporary Resources/
// folder, a newer loose file overriding its pack entry, and addresses that try to
// leave the resources.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "base/vfs/IVFS.h"
#include "platform/headless/HeadlessToolkit.h"
#include "shell/html/VfsProtocol.h"
#include "support/TempDir.h"
#include "support/ZipBuilder.h"

namespace {

const std::string kPage = "<!DOCTYPE html><html>" + std::string(4000, 'p') + "</html>";

struct VfsProtocolTest : ::testing::Test {
    TempDir dir;
    HeadlessToolkit toolkit;
    ByteVector archive;
    VfsSchemeHandler handler;

    void SetUp() override {
        const std::string zip = ZipBuilder()
                                    .Add("Launcher/res/launcher.htm", kPage, 8)
                                    .Add("HTMLResources/js/app.js", "var app = 1;", 0)
                                    .Add("HTMLResources/css/launcher.css", "body{}", 8)
                                    .Add("HTMLResources/empty.txt", "", 0)
                                    .Add("Launcher/res/old.js", "packed", 0)
                                    .Build();
        archive.Append(reinterpret_cast<const std::uint8_t*>(zip.data()), zip.size());
        // A secret beside the resources, as the game's personal folder is.
        dir.WriteFile("Personal/Global.cfg", "secret");
        dir.WriteFile("Resources/Launcher/res/old.js", "loose");
        ASSERT_TRUE(RegisterVfsProtocol(toolkit, WideString(String(dir / "Resources/")),
                                        WideString(u"LauncherResources.pak"), archive));
    }
    void TearDown() override { UnregisterVfsProtocol(); }
};

TEST_F(VfsProtocolTest, EntriesAreServedWithTheirTypeFromTheirFirstByteEveryTime) {
    const struct {
        const char* uri;
        std::string body;
        const char* mime;
    } cases[] = {
        {"vfs://Launcher/res/launcher.htm", kPage, "text/html"},
        {"vfs://Launcher/res/launcher.htm?x=1#top", kPage, "text/html"},
        {"vfs://Launcher/res/launcher.htm/", kPage, "text/html"},
        {"vfs://Launcher%2Fres/launcher%2Ehtm", kPage, "text/html"},
        {"vfs://HTMLResources/js/app.js", "var app = 1;", "text/javascript"},
        {"vfs://HTMLResources/css/launcher.css", "body{}", "text/css"},
        // "/HTMLResources/js/app.js" resolved against the page by WebKit's rules.
        {"vfs://Launcher/HTMLResources/js/app.js", "var app = 1;", "text/javascript"},
    };
    for (const auto& c : cases) {
        for (int request = 0; request < 2; ++request) {
            UriSchemeResponse response = handler.Handle(c.uri);
            ASSERT_TRUE(response.found) << c.uri << ": " << response.error;
            EXPECT_EQ(*response.body, c.body) << c.uri;
            EXPECT_EQ(response.mimeType, c.mime) << c.uri;
        }
    }
    // Overlapping requests share immutable bytes, not a cursor.
    UriSchemeResponse first = handler.Handle("vfs://Launcher/res/launcher.htm");
    UriSchemeResponse second = handler.Handle("vfs://Launcher/res/launcher.htm");
    EXPECT_EQ(first.body, second.body);
}

TEST_F(VfsProtocolTest, ANewerLooseFileOverridesItsPackEntry) {
    UriSchemeResponse response = handler.Handle("vfs://Launcher/res/old.js");
    ASSERT_TRUE(response.found) << response.error;
    EXPECT_EQ(*response.body, "loose");
}

TEST_F(VfsProtocolTest, AddressesOutsideTheResourcesOrMissingEntriesFindNothing) {
    for (const char* uri : {
             "vfs://../Personal/Global.cfg", "vfs://../../Personal/Global.cfg", "vfs://%2e%2e/Personal/Global.cfg",
             "vfs://Launcher/%2E%2E/%2e%2e/Personal/Global.cfg", "vfs://Launcher/res/../../../Personal/Global.cfg",
             "vfs://%2F" /* absolute */, "vfs:///etc/passwd", "vfs://%2Fetc%2Fpasswd", "vfs://C:/Windows/win.ini",
             "vfs://..%5C..%5CPersonal%5CGlobal.cfg", "vfs://Launcher\\res\\launcher.htm", "vfs://Launcher/res/%00x",
             "vfs://Launcher/res/launcher.htm%", "vfs://Launcher/res/launcher.htm%zz", "vfs://Launcher//res/launcher.htm",
             "vfs://", "vfs:x", "file:///etc/passwd", "vfs://Launcher/res/missing.htm",
             "vfs://Launcher/./res/launcher.htm",
             "vfs://HTMLResources/empty.txt" /* the file system keeps no empty pack entries */}) {
        UriSchemeResponse response = handler.Handle(uri);
        EXPECT_FALSE(response.found) << uri;
        EXPECT_FALSE(response.error.empty()) << uri;
    }
    EXPECT_FALSE(handler.Handle("vfs://" + std::string(100000, 'a')).found);
}

TEST_F(VfsProtocolTest, AfterUnregisteringNothingIsServed) {
    ASSERT_TRUE(handler.Handle("vfs://HTMLResources/js/app.js").found);
    UnregisterVfsProtocol();
    EXPECT_FALSE(NVFS::GetGlobalVFS());
    EXPECT_FALSE(handler.Handle("vfs://HTMLResources/js/app.js").found);
}

TEST(VfsMimeType, FollowsTheExtensionInAnyCase) {
    EXPECT_STREQ(VfsMimeType("a/b.HTM"), "text/html");
    EXPECT_STREQ(VfsMimeType("a/logo.png"), "image/png");
    EXPECT_STREQ(VfsMimeType("a.b/noextension"), "application/octet-stream");
}

}  // namespace
