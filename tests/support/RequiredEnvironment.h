#pragma once
// Tests that need a tool or a display skip without it on a developer's machine. CI sets
// LAUNCHER_REQUIRE_ALL_TESTS, and there the same lack fails the test, so a machine that
// is missing a package cannot pass by skipping.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

inline bool AllTestsRequired() {
    const char* value = std::getenv("LAUNCHER_REQUIRE_ALL_TESTS");
    return value && *value && std::strcmp(value, "0") != 0;
}

// Ends the test: a failure where every test is required, else a skip.
#define SKIP_UNLESS_REQUIRED(reason)                                         \
    do {                                                                     \
        if (AllTestsRequired()) {                                            \
            FAIL() << (reason) << " (LAUNCHER_REQUIRE_ALL_TESTS is set)";    \
        } else {                                                             \
            GTEST_SKIP() << (reason);                                        \
        }                                                                    \
    } while (0)
