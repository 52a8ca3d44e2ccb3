#include <windows.h>

#include <gtest/gtest.h>

#include "editor/win32/main_window.h"
#include "editor/win32/window_proc.h"
#include "window_fixture.h"

namespace figury {

namespace {

// What the timer saw of the running program before it closed the window.
struct Observed {
    int ticks = 0;
    bool visible = false;
    int children = 0;
    int loadedPoints = -1;
};
Observed observed;

int countChildren(HWND window) {
    int count = 0;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        ++count;
    }
    return count;
}

// Runs inside the program's message loop: waits for the finished window,
// then closes it as a user would. Gives up after about five seconds.
void CALLBACK closeWhenReady(HWND, UINT, UINT_PTR timer, DWORD) {
    ++observed.ticks;
    HWND window = FindWindowA("Figury", nullptr);
    if (window != nullptr && IsWindowVisible(window) && countChildren(window) == 7) {
        KillTimer(nullptr, timer);
        observed.visible = true;
        observed.children = countChildren(window);
        observed.loadedPoints = static_cast<int>(editorStateOf(window)->document.figure().points.size());
        PostMessageA(window, WM_CLOSE, 0, 0);
    } else if (observed.ticks > 100) {
        KillTimer(nullptr, timer);
        PostQuitMessage(99);
    }
}

HHOOK refusingHook = nullptr;

LRESULT CALLBACK refuseWindows(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        return 1;
    }
    return CallNextHookEx(refusingHook, code, wParam, lParam);
}

using Program = ScratchFolderTest;

TEST_F(Program, RunsUntilTheWindowIsClosedAndEndsWithZero) {
    writeFigureFile("PUNKTY 1\n\n5 6\n");
    observed = Observed{};
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, closeWhenReady);
    ASSERT_NE(0u, timer);
    EXPECT_EQ(0, runEditor(GetModuleHandleA(nullptr), SW_SHOWNORMAL));
    EXPECT_TRUE(observed.visible);
    EXPECT_EQ(7, observed.children);
    EXPECT_EQ(1, observed.loadedPoints);
    ASSERT_EQ(1u, catcher_.boxes().size());
    EXPECT_EQ(L"Figury - edytor figur", catcher_.boxes()[0].text);
    EXPECT_EQ(nullptr, FindWindowA("Figury", nullptr));
    EXPECT_EQ("PUNKTY 1\r\n\r\n5 6\r\n\r\nLINIE 0\r\n\r\n", figureFileBytes());
}

TEST_F(Program, EndsWithAnErrorCodeWhenTheWindowCannotBeCreated) {
    writeFigureFile("PUNKTY 1\n\n5 6\n");
    refusingHook = SetWindowsHookExA(WH_CBT, refuseWindows, nullptr, GetCurrentThreadId());
    ASSERT_NE(nullptr, refusingHook);
    const int code = runEditor(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    UnhookWindowsHookEx(refusingHook);
    EXPECT_NE(0, code);
    // Nothing was shown, loaded or saved.
    EXPECT_TRUE(catcher_.boxes().empty());
    EXPECT_EQ("PUNKTY 1\n\n5 6\n", figureFileBytes());
}

}  // namespace

}  // namespace figury
