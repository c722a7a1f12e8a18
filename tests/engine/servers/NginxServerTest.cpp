// The tests' real nginx: started without root on a free loopback port, serving byte
// ranges of a folder, and gone with its object.
#include "support/NginxServer.h"

#include <gtest/gtest.h>

#include "engine/VersionFixtures.h"
#include "support/RequiredEnvironment.h"

TEST(NginxServer, ServesRangesOfItsFolderAndStopsWithItsObject) {
    if (NginxServer::Executable().empty()) SKIP_UNLESS_REQUIRED("nginx is not installed");
    if (system("command -v curl > /dev/null 2>&1") != 0) SKIP_UNLESS_REQUIRED("curl is not installed");
    TempDir files;
    files.WriteFile("site/Patch/a.patch", "0123456789");
    std::string url;
    {
        NginxServer nginx(files / "site");
        ASSERT_TRUE(nginx.Start()) << nginx.ErrorLog();
        url = nginx.BaseUrl() + "Patch/a.patch";
        ASSERT_TRUE(RunProgram({"curl", "-s", "--max-time", "10", "-r", "2-4", "-o", files / "part", url}));
        EXPECT_EQ(files.ReadFile("part"), "234");
        EXPECT_NE(nginx.AccessLog().find("GET /Patch/a.patch HTTP/1.1\" 206"), std::string::npos) << nginx.AccessLog();
    }
    EXPECT_FALSE(RunProgram({"curl", "-s", "--max-time", "5", "-o", files / "after", url}));
}
