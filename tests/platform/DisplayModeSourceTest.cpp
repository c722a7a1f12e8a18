// The display's modes from each source: a DRM class folder built in a temporary
// folder, the real X server of a private Xvfb, and the order in which the sources
// are asked.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/display/DisplayModeSource.h"
#include "support/PrivateXvfb.h"
#include "support/RequiredEnvironment.h"
#include "support/TempDir.h"

namespace {

struct FixedModes final : IDisplayModeSource {
    explicit FixedModes(std::vector<ScreenSize> m, int* asked) : modes(std::move(m)), asked(asked) {}
    std::vector<ScreenSize> Modes() override {
        ++*asked;
        return modes;
    }
    std::vector<ScreenSize> modes;
    int* asked;
};

TEST(ParseModeName, ReadsTheSizeAtTheStartOfTheLine) {
    struct Case {
        const char* line;
        bool ok;
        ScreenSize size;
    } cases[] = {
        {"1920x1080", true, {1920, 1080}}, {"1920x1080i", true, {1920, 1080}}, {"768x1024", true, {768, 1024}},
        {"x1080", false, {}},              {"1920x", false, {}},               {"1920*1080", false, {}},
        {"0x0", false, {}},                {"-800x600", false, {}},            {"99999999999x1", false, {}},
        {"", false, {}},
    };
    for (const Case& c : cases) {
        ScreenSize size;
        EXPECT_EQ(ParseModeName(c.line, size), c.ok) << c.line;
        if (c.ok) EXPECT_EQ(size, c.size) << c.line;
    }
}

TEST(DrmConnectorModes, TakesTheFirstConnectedConnectorInNameOrder) {
    TempDir drm;
    drm.WriteFile("card0/dev", "226:0\n");  // the card itself: no modes of its own
    drm.WriteFile("card0-DP-1/status", "disconnected\n");
    drm.WriteFile("card0-DP-1/modes", "3840x2160\n");
    drm.WriteFile("card0-HDMI-A-1/status", "connected\n");
    drm.WriteFile("card0-HDMI-A-1/modes", "1920x1080\n1280x1024\n1920x1080\nbogus\n\n1024x768\n");
    drm.WriteFile("card0-HDMI-A-2/status", "connected\n");
    drm.WriteFile("card0-HDMI-A-2/modes", "800x600\n");
    EXPECT_EQ(DrmConnectorModes(drm.Path()).Modes(),
              (std::vector<ScreenSize>{{1920, 1080}, {1280, 1024}, {1920, 1080}, {1024, 768}}));

    TempDir none;
    none.WriteFile("card0-eDP-1/status", "disconnected\n");
    EXPECT_TRUE(DrmConnectorModes(none.Path()).Modes().empty());
    EXPECT_TRUE(DrmConnectorModes(none / "missing").Modes().empty());
}

TEST(FirstAvailableModes, AsksInOrderUntilOneSourceHasModes) {
    int asked[3] = {};
    std::vector<std::unique_ptr<IDisplayModeSource>> sources;
    sources.push_back(std::make_unique<FixedModes>(std::vector<ScreenSize>{}, &asked[0]));
    sources.push_back(std::make_unique<FixedModes>(std::vector<ScreenSize>{{1024, 768}}, &asked[1]));
    sources.push_back(std::make_unique<FixedModes>(std::vector<ScreenSize>{{800, 600}}, &asked[2]));
    FirstAvailableModes chain(std::move(sources));
    EXPECT_EQ(chain.Modes(), (std::vector<ScreenSize>{{1024, 768}}));
    EXPECT_EQ(asked[0], 1);
    EXPECT_EQ(asked[1], 1);
    EXPECT_EQ(asked[2], 0);
}

TEST(XrandrModes, ListsTheModesOfTheXServersConnectedOutput) {
    unsetenv("DISPLAY");
    EXPECT_TRUE(XrandrModes().Modes().empty());
    PrivateXvfb xvfb;
    if (!xvfb.Start()) SKIP_UNLESS_REQUIRED("no Xvfb");
    setenv("DISPLAY", xvfb.Display().c_str(), 1);
    const std::vector<ScreenSize> modes = XrandrModes().Modes();
    // Xvfb offers its screen's own size among the modes of its one output.
    EXPECT_NE(std::find(modes.begin(), modes.end(), ScreenSize{1024, 768}), modes.end()) << modes.size();
    unsetenv("DISPLAY");
}

}  // namespace
