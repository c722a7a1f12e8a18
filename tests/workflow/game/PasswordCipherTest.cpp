// The password cipher against vectors that tests/workflow/game/password_vectors.py
// computes at test time, apart from the launcher's code (the signed shifts make the
// published XXTEA vectors inapplicable).
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "base/runtime/StrUtil.h"
#include "platform/process/ProcessSpawn.h"
#include "support/RequiredEnvironment.h"
#include "workflow/game/PasswordCipher.h"

namespace {

struct CipherVector {
    pid_t pid = 0;
    std::u16string password;
    std::string key;
    std::string cipher;
};

std::u16string UnitsFromHex(const std::string& hex) {
    std::u16string units;
    for (std::size_t i = 0; i + 4 <= hex.size(); i += 4)
        units.push_back(static_cast<char16_t>(std::stoul(hex.substr(i, 4), nullptr, 16)));
    return units;
}

std::string KeyHex(const PasswordCipher::Key& key) {
    std::string text;
    char word[9];
    for (std::uint32_t k : key) {
        std::snprintf(word, sizeof word, "%08X", k);
        text += word;
    }
    return text;
}

bool ReadVectors(std::vector<CipherVector>& vectors) {
    const std::string python = FindExecutableInPath("python3");
    if (python.empty()) return false;
    const std::string command = python + " " LAUNCHER_TEST_DATA "/workflow/game/password_vectors.py";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), &pclose);
    if (!pipe) return false;
    std::string output;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) output.append(buffer, n);
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> fields;
        std::istringstream parts(line);
        for (std::string field; std::getline(parts, field, '\t');) fields.push_back(field);
        if (fields.size() == 3) fields.insert(fields.begin() + 1, "");  // the empty password
        if (fields.size() != 4) return false;
        vectors.push_back({static_cast<pid_t>(std::stol(fields[0])), UnitsFromHex(fields[1]), fields[2], fields[3]});
    }
    return !vectors.empty();
}

}  // namespace

TEST(PasswordCipher, MatchesTheVectorsOfAnIndependentImplementation) {
    std::vector<CipherVector> vectors;
    if (!ReadVectors(vectors)) SKIP_UNLESS_REQUIRED("python3 could not compute the vectors");
    ASSERT_GE(vectors.size(), 10u);
    for (const CipherVector& v : vectors) {
        const PasswordCipher::Key key = PasswordCipher::KeyForProcess(v.pid);
        EXPECT_EQ(KeyHex(key), v.key) << "pid " << v.pid;
        const WideString password(v.password.data(), v.password.data() + v.password.size());
        EXPECT_EQ(String(PasswordCipher::Encipher(password, key)).Std(), v.cipher)
            << "pid " << v.pid << ", " << v.password.size() << " units";
    }
}

TEST(PasswordCipher, ShortPasswordsStillFillTwoWordsAndLongOnesOneWordPerTwoUnits) {
    const PasswordCipher::Key key = PasswordCipher::KeyForProcess(100);
    const struct {
        const char16_t* password;
        std::size_t digits;
    } cases[] = {{u"", 16}, {u"a", 16}, {u"abcd", 16}, {u"abcde", 24}, {u"abcdef", 24}};
    for (const auto& c : cases) {
        const std::u16string hex = PasswordCipher::Encipher(WideString(c.password), key).Std();
        EXPECT_EQ(hex.size(), c.digits) << String(WideString(c.password)).Std();
        EXPECT_EQ(hex.find_first_not_of(u"0123456789ABCDEF"), std::u16string::npos);
    }
    // Two zero words still encipher to something other than zeros.
    EXPECT_NE(PasswordCipher::Encipher(WideString(), key).Std(), u"0000000000000000");
    EXPECT_EQ(PasswordCipher::PackTextWords(WideString(u"abc")), (std::vector<std::uint32_t>{0x00620061, 0x00000063}));
    // The key is the process's own: another launcher gives the game another text.
    EXPECT_NE(PasswordCipher::Encipher(WideString(u"same"), key).Std(),
              PasswordCipher::Encipher(WideString(u"same"), PasswordCipher::KeyForProcess(101)).Std());
    EXPECT_EQ(EncipherPassword(WideString(u"same")).Std(),
              PasswordCipher::Encipher(WideString(u"same"), PasswordCipher::KeyForProcess(getpid())).Std());
}
