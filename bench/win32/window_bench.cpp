// The real editor window on figures of 10k, 100k and 1M points and lines:
// the load when the window is created, one full repaint after a hover move in
// the idle, delete-point and delete-line modes, and the save when the window
// is destroyed. The window is the program's own, with its own window
// procedure; message boxes are answered by a hook, as a user would.
//
//   window_bench [--spread] [--repeat R] [N ...]
//
// --spread puts the points over ten times the window's width and height, so
// that most of the figure lies outside the client area.

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench_figures.h"
#include "figure_file.h"
#include "main_window.h"
#include "modes.h"
#include "window_proc.h"

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Closes every message box with OK and remembers when the last one went, so
// that the load is timed from the greeting's end.
HHOOK boxHook = nullptr;
Clock::time_point lastBoxGone;
int boxesSeen = 0;

bool isMessageBox(HWND window) {
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    return std::strcmp(className, "#32770") == 0;
}

LRESULT CALLBACK answerBoxes(int code, WPARAM wParam, LPARAM lParam) {
    HWND window = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_ACTIVATE && isMessageBox(window)) {
        ++boxesSeen;
        PostMessageA(window, WM_COMMAND, IDOK, 0);
    } else if (code == HCBT_DESTROYWND && isMessageBox(window)) {
        lastBoxGone = Clock::now();
    }
    return CallNextHookEx(boxHook, code, wParam, lParam);
}

void pumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

std::string fileBytes(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Result {
    double load = 0;
    double paint[3] = {};
    double save = 0;
    int32_t highlighted = -4;  // the offset of the line the last delete-line paint recorded
    bool ok = false;
};

constexpr int benchModes[3] = {modeIdle, modeDeletePoint, modeDeleteLine};
constexpr int modeCommands[3] = {0, commandDeletePoint, commandDeleteLine};
constexpr int hoverX = 397;
constexpr int hoverY = 285;

Result measure(HINSTANCE instance, int32_t n, bool spread, int repeat) {
    Result result;
    saveFigure(benchFigure(n, spread ? spreadArea : clientArea));
    const std::string written = fileBytes(figureFilePath);

    editorState = EditorState{};
    boxesSeen = 0;
    HWND window = createMainWindow(instance);
    result.load = millisecondsSince(lastBoxGone);
    if (window == nullptr || boxesSeen != 1 || editorState.figure.pointCount != n) {
        std::fprintf(stderr, "the window did not open on the figure of %d points\n", n);
        return result;
    }
    RECT client;
    GetClientRect(window, &client);
    if (client.right != clientArea.right || client.bottom != clientArea.bottom) {
        std::fprintf(stderr, "the client area is %ld x %ld\n", client.right, client.bottom);
    }
    ShowWindow(window, SW_SHOWNORMAL);
    createButtonBar(window, instance);
    UpdateWindow(window);
    pumpMessages();

    for (int m = 0; m < 3; ++m) {
        if (modeCommands[m] != 0) {
            SendMessageA(window, WM_COMMAND, MAKEWPARAM(modeCommands[m], BN_CLICKED), 0);
            UpdateWindow(window);
        }
        std::vector<double> times;
        for (int r = 0; r < repeat; ++r) {
            const auto start = Clock::now();
            SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(hoverX, hoverY));
            if (benchModes[m] == modeIdle) {
                InvalidateRect(window, nullptr, TRUE);  // no hover repaint when idle
            }
            UpdateWindow(window);
            GdiFlush();
            times.push_back(millisecondsSince(start));
            pumpMessages();
        }
        result.paint[m] = median(times);
    }
    result.highlighted = editorState.lineToDelete.value_or(-4);

    const auto start = Clock::now();
    DestroyWindow(window);
    result.save = millisecondsSince(start);
    pumpMessages();
    if (fileBytes(figureFilePath) != written) {
        std::fprintf(stderr, "the saved figure of %d points differs from the loaded one\n", n);
        return result;
    }
    result.ok = true;
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    bool spread = false;
    int repeat = 5;
    std::vector<int32_t> sizes;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--spread") == 0) {
            spread = true;
        } else if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc) {
            repeat = std::max(1, std::atoi(argv[++i]));
        } else {
            sizes.push_back(std::atoi(argv[i]));
        }
    }
    if (sizes.empty()) {
        sizes = {10000, 100000, 1000000};
    }

    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() /
                            ("figury-window-bench-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(folder / "Dane");
    SetCurrentDirectoryA(folder.string().c_str());

    const HINSTANCE instance = GetModuleHandleA(nullptr);
    registerFiguryClass(instance);
    boxHook = SetWindowsHookExA(WH_CBT, answerBoxes, nullptr, GetCurrentThreadId());
    SetCursorPos(1270, 1010);  // real pointer motion would move the hover position

    std::printf("%s figure, median of %d paints, milliseconds\n",
                spread ? "spread" : "inside", repeat);
    std::printf("%9s %9s %9s %9s %9s %9s %9s\n", "n", "load", "paint0", "paint2", "paint10",
                "save", "line");
    int failures = 0;
    for (int32_t n : sizes) {
        const Result r = measure(instance, n, spread, repeat);
        failures += r.ok ? 0 : 1;
        std::printf("%9d %9.1f %9.1f %9.1f %9.1f %9.1f %9d\n", n, r.load, r.paint[0], r.paint[1],
                    r.paint[2], r.save, r.highlighted / 4);
        std::fflush(stdout);
    }

    UnhookWindowsHookEx(boxHook);
    SetCurrentDirectoryA(fs::temp_directory_path().string().c_str());
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return failures == 0 ? 0 : 1;
}
