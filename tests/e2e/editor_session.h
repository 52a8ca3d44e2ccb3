#pragma once

// One run of figury.exe seen from outside: its boxes, its window, its pixels.

#include <functional>
#include <string>

#include "driver.h"

namespace e2e {

constexpr std::uint32_t kRed = 0xFF0000;
constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kWhite = 0xFFFFFF;

// Ids of the command buttons, as the window reports them in WM_COMMAND.
enum Command { kInsertPoint = 100, kDeletePoint, kMovePoint, kInsertLine, kDeleteLine };

class EditorSession {
public:
    // Screenshots of the steps go to shotDir (created on the first one);
    // an empty shotDir keeps none.
    EditorSession(std::string exe, std::string shotDir);
    ~EditorSession();

    bool start(const std::string& workDir);
    // Starts, answers the greeting and waits until the window is on screen.
    bool startAndGreet(const std::string& workDir);

    // A visible message box of the editor with this caption, or null.
    HWND waitBox(const std::wstring& caption, Millis timeout = Millis(20000));
    // Whether a box with this caption shows within the time.
    bool boxAppears(const std::wstring& caption, Millis timeout);
    static std::wstring boxText(HWND box);
    static bool boxHasIcon(HWND box);
    // Presses Enter on the box and waits until it is gone.
    bool answer(HWND box);
    HWND waitWindow(Millis timeout = Millis(20000));
    HWND window() const { return window_; }
    Process& process() { return process_; }

    bool hover(int x, int y);
    bool press(int x, int y);
    // Moves and presses while the editor is held, so that both reach it before
    // the repaint for the move, as a quick flick and click does.
    bool pressBeforeRepaint(int x, int y);
    bool release();
    bool click(int x, int y);
    bool clickButton(int id);
    HWND button(int id) const;

    Image capture() const;
    // Waits until two captures in a row agree, so a paint in progress is over,
    // and keeps that as a step.
    Image settled();
    Image settledClient() const;
    bool waitFor(const std::function<bool(const Image&)>& cond, Image* last = nullptr,
                 Millis timeout = Millis(6000));
    bool waitStatus(const std::wstring& text, Image* last = nullptr);

    // Alt+F4 on the window; true when the process ended, with its exit code.
    bool closeWithAltF4(DWORD* exitCode, Millis timeout = Millis(20000));
    bool waitExit(DWORD* exitCode, Millis timeout = Millis(20000));

    void shot(const std::string& step);
    void shotOf(const Image& image, const std::string& step);

private:
    std::string exe_;
    std::string shotDir_;
    int shotCount_ = 0;
    Process process_;
    HWND window_ = nullptr;
};

// What a person can tell from a capture of the client area.
bool statusShows(const Image& client, const std::wstring& text);
bool pointMarked(const Image& client, int x, int y);
bool pointRinged(const Image& client, int x, int y);
int redPixels(const Image& client);
// Red pixels across the line at (x, y), counted over 7 pixels in the given direction.
int redAcross(const Image& client, int x, int y, bool vertically);
bool blankBelowButtons(const Image& client);

}  // namespace e2e
