#pragma once

// What the window benchmark's two halves share: input sent to the real
// window, timed to the end of the paint it causes, and the summaries of times.

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <vector>

namespace figury {

using Clock = std::chrono::steady_clock;

inline double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

inline void pumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// The value below which the given fraction of the times lie, by nearest rank.
inline double percentile(std::vector<double> values, double fraction) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<size_t>(std::ceil(fraction * static_cast<double>(values.size())));
    return values[std::min(std::max(rank, size_t{1}), values.size()) - 1];
}

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A patch of the client area that the benchmark figure leaves clear: the
// edits of the first table are made there on points of their own, so that
// each damages only a mark or a short line, whatever the figure's size.
constexpr RECT clearPatch = {560, 410, 640, 490};

class Session {
public:
    explicit Session(HWND window) : window_(window) {}

    void command(int id) { timedCommand(id); }
    // Sends a command and returns the milliseconds until the paint it caused has ended.
    double timedCommand(int id) { return timedSend(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    // Sends one input message and returns the milliseconds until the paint it caused has ended.
    double timed(UINT message, POINT at) {
        return timedSend(message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(at.x, at.y));
    }
    void click(POINT at) { timedClick(at); }
    // The press is timed, the release is not.
    double timedClick(POINT at) {
        const double elapsed = timed(WM_LBUTTONDOWN, at);
        timed(WM_LBUTTONUP, at);
        return elapsed;
    }

private:
    double timedSend(UINT message, WPARAM wParam, LPARAM lParam) {
        const auto start = Clock::now();
        SendMessageA(window_, message, wParam, lParam);
        UpdateWindow(window_);
        GdiFlush();
        const double elapsed = millisecondsSince(start);
        pumpMessages();
        return elapsed;
    }

    HWND window_;
};

}  // namespace figury
