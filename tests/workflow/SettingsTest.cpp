#include <gtest/gtest.h>

#include <string>

#include "base/config/GlobalRegistry.h"
#include "base/config/StorageLoader.h"
#include "support/ScopedTempFolder.h"
#include "workflow/Settings.h"

namespace {

const std::string kBom = "\xEF\xBB\xBF";

TEST(Settings, DefaultsAndGroups) {
    EXPECT_TRUE(Settings::gfxResolution.Equals("1280x1024"));
    EXPECT_TRUE(Settings::use_move_by_click.GetBool());
    EXPECT_TRUE(Settings::gfxAutoDetect.GetBool());
    EXPECT_EQ(Settings::launcherPatchSaveSize.GetInt(), 500);
    EXPECT_FLOAT_EQ(Settings::prepatch_limit_active.GetFloat(), 20.0f);
    EXPECT_FLOAT_EQ(Settings::prepatch_limit_run.GetFloat(), 100.0f);
    EXPECT_EQ(Settings::gfx_texture_mip.GetInt(), 2);
    EXPECT_EQ(Settings::uploadLimit.GetInt(), 1048576);
    EXPECT_TRUE(Settings::localization.GetWString().IsEmpty());
    EXPECT_TRUE(Settings::prepatch_ready.GetString().IsEmpty());

    Global::Registry& registry = Global::Registry::Instance();
    EXPECT_EQ(registry.ListGroup(Global::UserGroup()).Size(), 15u);
    EXPECT_EQ(registry.ListGroup(Global::RuntimeGroup()).Size(), 5u);
    EXPECT_TRUE(registry.IsInGroup("prepatch_ready", Global::UserGroup()));
    EXPECT_TRUE(registry.IsInGroup("fakeVantry", Global::RuntimeGroup()));

    // Other units bind by name and share the value.
    Global::Float limit("prepatch_limit_run");
    EXPECT_FLOAT_EQ(limit.GetFloat(), 100.0f);
}

TEST(Settings, GlobalCfgRoundTrip) {
    ScopedTempFolder dir;
    const std::string path = dir / "Personal/Global.cfg";
    ASSERT_TRUE(WriteWholeFile(path, kBom + "localization = \"fr\"\r\nprepatch_limit_active = \"fast\"\r\n"
                                            "gfxSystemSpec = -3\r\nlauncherPatchSaveSize = 1e12\r\n"
                                            "uploadLimit = 4096\r\nsomeNewKey = 1\r\n"));
    {
        StorageLoader user(Global::UserGroup());
        user.Load(path.c_str());
        EXPECT_TRUE(Settings::localization.Equals("fr"));
        EXPECT_EQ(Settings::prepatch_limit_active.GetFloat(), 0.0f);  // a text without a number
        EXPECT_EQ(Settings::gfxSystemSpec.GetInt(), -3);
        EXPECT_EQ(Settings::launcherPatchSaveSize.GetInt(), 2147483647);  // saturated
        EXPECT_EQ(Settings::uploadLimit.GetInt(), 4096);  // a run-time switch, set for this run
        EXPECT_TRUE(Global::Registry::Instance().IsInGroup("someNewKey", Global::UserGroup()));

        Settings::prepatch_ready.SetString("1.4.0");
        ASSERT_TRUE(user.Save());
    }
    const std::string saved = ReadWholeFile(path);
    EXPECT_EQ(saved.rfind(kBom, 0), 0u);
    for (const char* line : {"gfxResolution = \"1280x1024\"\r\n", "localization = \"fr\"\r\n",
                             "prepatch_limit_active = \"fast\"\r\n", "launcherPatchSaveSize = 1000000000000\r\n",
                             "prepatch_ready = \"1.4.0\"\r\n", "someNewKey = 1\r\n", "use_move_by_click = 1\r\n"}) {
        EXPECT_NE(saved.find(line), std::string::npos) << line;
    }
    EXPECT_EQ(saved.find("uploadLimit"), std::string::npos);
    EXPECT_EQ(saved.find("gfx_texture_mip"), std::string::npos);
    // The loader's own variable is gone with the loader; the next save forgets it.
    EXPECT_FALSE(Global::Registry::Instance().Exists("someNewKey"));
}

}  // namespace
