#pragma once

// ctest runs the cases that compare Polish text under Wine prefixes of two
// ANSI code pages and names the one it means in FIGURY_ANSI_CODE_PAGE: a case
// that ran in another code page would only repeat the other run.

#include <windows.h>

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

namespace figury {

namespace testing_support {

inline ::testing::AssertionResult runsInTheCodePageAskedFor() {
    const char* asked = std::getenv("FIGURY_ANSI_CODE_PAGE");
    if (asked == nullptr || *asked == '\0' || std::to_string(GetACP()) == asked) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "runs in ANSI code page " << GetACP() << ", not in " << asked
                                         << " as FIGURY_ANSI_CODE_PAGE asks";
}

}  // namespace testing_support

}  // namespace figury
