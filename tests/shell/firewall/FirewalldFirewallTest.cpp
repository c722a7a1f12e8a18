// The firewall over firewalld's real D-Bus protocol: a mock firewalld (python3-dbusmock,
// with the methods, signatures and errors the launcher uses) on a private bus. The
// launcher's listen ports count as admitted when both protocols are open in the
// default zone; admitting them opens them at run time and permanently.
#include <gtest/gtest.h>

#include <gio/gio.h>
#include <unistd.h>

#include <string>

#include "shell/firewall/FirewalldFirewall.h"
#include "support/FileBytes.h"
#include "support/GameTree.h"
#include "support/PrivateDbus.h"
#include "support/RequiredEnvironment.h"

namespace {

const std::string kTemplate = LAUNCHER_TEST_DATA "/support/firewalld-mock.py";

class FirewalldFirewallTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The firewall's log lines go to the game's log folder.
        ASSERT_EQ(chdir((tree / "bin").c_str()), 0);
        if (!bus.Start()) SKIP_UNLESS_REQUIRED("no dbus-daemon");
    }

    // A firewalld with these parameters; the test ends (skipped) without python3-dbusmock.
    RefPtr<IFirewall> Firewalld(const std::string& parameters) {
        if (!bus.StartMock(kTemplate, parameters, "org.fedoraproject.FirewallD1")) return RefPtr<IFirewall>();
        return CreateFirewall(bus.Address());
    }

    // What firewalld's permanent configuration holds for the default zone "public".
    bool PermanentlyOpen(const char* protocol) {
        bool open = false;
        return bus.CallForBool("org.fedoraproject.FirewallD1", "/org/fedoraproject/FirewallD1/config/zone/0",
                               "org.fedoraproject.FirewallD1.config.zone", "queryPort",
                               g_variant_new("(ss)", "6968-6978", protocol), open) &&
               open;
    }

    // Whether the firewall counts the launcher as admitted; a failed query fails the test.
    bool Admitted(IFirewall& firewall) {
        bool authorized = true;
        EXPECT_TRUE(firewall.IsAppAuthorized(rule, authorized));
        return authorized;
    }

    std::string Log() const { return ReadWholeFile(tree / "Personal/Logs/Launcher.log"); }

    GameTree tree;
    PrivateDbus bus;
    FirewallRule rule{WideString(u"/games/Brennic/bin/Launcher.exe"), WideString(u"Brennic Launcher"),
                      WideString(u"Brennic Online"), WideString(u"inbound")};
};

#define REQUIRE_MOCK(firewall) \
    if (!(firewall)) SKIP_UNLESS_REQUIRED("python3-dbusmock did not start")

TEST_F(FirewalldFirewallTest, AdmitsThePortsAtRunTimeAndPermanentlyOnce) {
    RefPtr<IFirewall> firewall = Firewalld("{}");
    REQUIRE_MOCK(firewall);
    EXPECT_TRUE(firewall->IsEnabled());
    EXPECT_FALSE(Admitted(*firewall));
    ASSERT_TRUE(firewall->Authorize(rule));
    EXPECT_TRUE(Admitted(*firewall));
    EXPECT_TRUE(PermanentlyOpen("tcp"));
    EXPECT_TRUE(PermanentlyOpen("udp"));
    // firewalld answers ALREADY_ENABLED now; that is no failure.
    EXPECT_TRUE(firewall->Authorize(rule));
    EXPECT_NE(Log().find("firewall: ports 6968-6978 (TCP and UDP) admitted in zone public"), std::string::npos)
        << Log();
}

TEST_F(FirewalldFirewallTest, OneProtocolOpenIsNotEnoughAndTheOtherIsAdded) {
    RefPtr<IFirewall> firewall = Firewalld(R"({"zone": "home", "open": ["6968-6978/tcp"]})");
    REQUIRE_MOCK(firewall);
    EXPECT_FALSE(Admitted(*firewall));
    ASSERT_TRUE(firewall->Authorize(rule));
    EXPECT_TRUE(Admitted(*firewall));
}

TEST_F(FirewalldFirewallTest, ARefusedChangeIsAFailureAndChangesNothing) {
    RefPtr<IFirewall> denied = Firewalld(R"({"deny": true})");
    REQUIRE_MOCK(denied);
    EXPECT_FALSE(denied->Authorize(rule));
    EXPECT_FALSE(Admitted(*denied));
    EXPECT_NE(Log().find("not admitted: addPort: NOT_AUTHORIZED"), std::string::npos) << Log();
}

TEST_F(FirewalldFirewallTest, RepliesOfOtherTypesFailTheQuery) {
    RefPtr<IFirewall> odd = Firewalld(R"({"odd": true, "state": 3})");
    REQUIRE_MOCK(odd);
    bool authorized = true;
    EXPECT_FALSE(odd->IsAppAuthorized(rule, authorized));
    EXPECT_FALSE(authorized);
    EXPECT_FALSE(odd->IsEnabled());  // a state that is not a text
    EXPECT_FALSE(odd->Authorize(rule));
}

TEST_F(FirewalldFirewallTest, OnlyARunningFirewalldFilters) {
    RefPtr<IFirewall> starting = Firewalld(R"({"state": "INIT"})");
    REQUIRE_MOCK(starting);
    EXPECT_FALSE(starting->IsEnabled());
}

TEST_F(FirewalldFirewallTest, NoFirewalldOnTheBusIsNoFirewallAndALogLineNamesThePorts) {
    EXPECT_FALSE(CreateFirewall(bus.Address()));
    EXPECT_FALSE(CreateFirewall("unix:path=" + (tree / "no-bus")));
    EXPECT_NE(Log().find("firewall: firewalld does not run; peers reach the launcher on ports 6968-6978 (TCP and UDP)"),
              std::string::npos)
        << Log();
}

}  // namespace
