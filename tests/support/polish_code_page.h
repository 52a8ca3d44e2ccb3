#pragma once

// The program's texts are Windows-1250 bytes. Drawn on screen, or read back
// through the ANSI functions, they come out as Polish only where the ANSI code
// page is 1250; the suites that compare them need that code page.

#include <windows.h>

#include <gtest/gtest.h>

namespace polish_code_page {

inline bool runningUnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace polish_code_page

// On a Windows set up for another language the test skips; under Wine, whose
// locale the test run chooses, another code page means a broken run and fails.
#define FIGURY_REQUIRE_POLISH_CODE_PAGE()                                                                   \
    do {                                                                                                    \
        if (GetACP() != 1250) {                                                                             \
            if (polish_code_page::runningUnderWine()) {                                                     \
                FAIL() << "Wine runs with ANSI code page " << GetACP() << "; run it with LANG=pl_PL.UTF-8"; \
            }                                                                                               \
            GTEST_SKIP() << "compares Polish text, which needs ANSI code page 1250; this Windows uses "     \
                         << GetACP();                                                                       \
        }                                                                                                   \
    } while (false)
