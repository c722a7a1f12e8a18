// What the game is started with: its argv, where the key is one argument whatever it
// holds, and an environment of its own with the login and the enciphered password.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/ArgvRecord.h"
#include "workflow/game/GameLaunch.h"
#include "workflow/game/PasswordCipher.h"

namespace {

GameLaunch::Input Input(const char16_t* login, const char16_t* password, const char16_t* key) {
    GameLaunch::Input input;
    input.binFolder = "/games/Brennic Online/bin";
    input.executable = WideString(u"ZIrira.exe");
    input.login = WideString(login);
    input.password = WideString(password);
    input.key = WideString(key);
    return input;
}

}  // namespace

TEST(GameLaunch, TheKeyAndTheHubModeAreArgumentsOfTheirOwn) {
    GameLaunch::Input input = Input(u"", u"", u"k\"ey with -vantry 9; rm -rf ~");
    input.vantry = '0';
    const SpawnRequest request = GameLaunch::BuildRequest(input);
    EXPECT_EQ(request.program, "/games/Brennic Online/bin/ZIrira.exe");
    EXPECT_EQ(request.workingDir, "/games/Brennic Online/bin");
    EXPECT_EQ(request.argv, (std::vector<std::string>{"ZIrira.exe", "-authkey", "k\"ey with -vantry 9; rm -rf ~",
                                                      "-vantry", "0"}));

    const SpawnRequest bare = GameLaunch::BuildRequest(Input(u"", u"", u""));
    EXPECT_EQ(bare.argv, std::vector<std::string>{"ZIrira.exe"});
}

TEST(GameLaunch, CredentialsGoIntoTheGamesEnvironmentOnly) {
    setenv("LAUNCHER_TEST_KEPT", "1", 1);
    // Credentials that the launcher's own starter left are not handed on.
    setenv("a_login", "someone else", 1);
    setenv("a_password", "00000000", 1);
    const SpawnRequest request = GameLaunch::BuildRequest(Input(u"игрок one", u"pässword", u""));
    ASSERT_TRUE(request.environment);
    const std::vector<std::string>& entries = *request.environment;
    std::string login, password;
    EXPECT_TRUE(FindVariable(entries, "a_login", &login));
    EXPECT_TRUE(FindVariable(entries, "a_password", &password));
    EXPECT_EQ(login, "игрок one");
    EXPECT_EQ(password, String(EncipherPassword(WideString(u"pässword"))).Std());
    EXPECT_EQ(password.size(), 32u);  // 8 units: four words
    EXPECT_TRUE(FindVariable(entries, "LAUNCHER_TEST_KEPT"));
    EXPECT_EQ(std::count_if(entries.begin(), entries.end(), [](const std::string& e) { return e.rfind("a_login=", 0) == 0; }), 1);
    EXPECT_STREQ(std::getenv("a_login"), "someone else");

    // Without a login neither is set, whatever the password.
    const SpawnRequest anonymous = GameLaunch::BuildRequest(Input(u"", u"pässword", u""));
    EXPECT_FALSE(FindVariable(*anonymous.environment, "a_login"));
    EXPECT_FALSE(FindVariable(*anonymous.environment, "a_password"));
    unsetenv("a_login");
    unsetenv("a_password");
    unsetenv("LAUNCHER_TEST_KEPT");
}

TEST(GameLaunch, TheHubModeDigit) {
    const struct {
        bool fake, linked, startedByHub;
        char digit;
    } cases[] = {
        {true, true, true, '0'},   {false, false, true, '0'}, {false, false, false, '0'},
        {false, true, true, '1'},  {false, true, false, '2'},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GameLaunch::VantryDigit(c.fake, c.linked, c.startedByHub), c.digit)
            << c.fake << c.linked << c.startedByHub;
    // The tests are started by ctest or a shell, never by the hub.
    EXPECT_FALSE(GameLaunch::LauncherStartedByHub());
}
