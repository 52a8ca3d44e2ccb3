#pragma once

// One run of figury.exe seen from outside: its boxes, its window, its pixels.

#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "driver.h"

namespace figury {

namespace e2e {

constexpr std::uint32_t kRed = 0xFF0000;
constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kWhite = 0xFFFFFF;

// Ids of the command buttons, as the window reports them in WM_COMMAND.
enum Command { kInsertPoint = 100, kDeletePoint, kMovePoint, kInsertLine, kDeleteLine };

class EditorSession {
public:
    // Says why a step failed: the editor did not handle input in time, the
    // pointer did not land. By default on stderr; a test makes it a failure.
    using Report = std::function<void(const std::string&)>;

    explicit EditorSession(std::string exe, Report report = nullptr);
    ~EditorSession();

    bool start(const std::string& workDir);
    // Starts, answers the greeting and waits until the window is on screen.
    bool startAndGreet(const std::string& workDir);

    // A visible message box of the editor with this caption, or null.
    HWND waitBox(const std::wstring& caption, Millis timeout = Millis(20000));
    static std::wstring boxText(HWND box);
    static bool boxHasIcon(HWND box);
    // Presses Enter on the box; true when the box is gone.
    bool answer(HWND box);
    HWND waitWindow(Millis timeout = Millis(20000));
    HWND window() const { return window_; }
    Process& process() { return process_; }

    // Input, in client coordinates unless said otherwise. Each returns once
    // the editor has taken it all and finished painting, or its window is
    // gone; false, with a report, when it did not within the time or the
    // pointer did not land where it was sent.
    bool hover(int x, int y);
    bool press(int x, int y);
    bool release(int x, int y);
    bool click(int x, int y);
    // Moves and presses while the editor is held, so that both reach it before
    // the repaint for the move, as a quick flick and click does.
    bool pressBeforeRepaint(int x, int y);
    bool clickButton(int id);
    // Anywhere on the screen, with front (the window when null) brought to
    // the front first: the caption's boxes, a message box's buttons.
    bool clickOnScreen(POINT screen, HWND front = nullptr);
    // Brings target (the window when null) to the front and presses the keys
    // as a chord: {VK_CONTROL, 'Z'}.
    bool pressKeys(std::initializer_list<WORD> chord, HWND target = nullptr);
    HWND button(int id) const;

    // Waits until the editor has painted what it has to, after a change made
    // without input (an invalidation from outside, the start).
    bool settle();
    // The paints the window has finished, modulo 2^13, as of the last answer.
    int paints() const { return state_.paints; }

    // The client area once the editor has settled, kept as a step.
    Image shown(const std::string& step = "shown");
    // Whether the settled client area shows the status text; *shown gets it.
    bool statusIs(const std::wstring& text, Image* shown = nullptr);
    bool shows(const std::function<bool(const Image&)>& cond, Image* shown = nullptr);

    // Alt+F4 on the window; true when the process ended, with its exit code.
    bool closeWithAltF4(DWORD* exitCode, Millis timeout = Millis(20000));
    bool waitExit(DWORD* exitCode, Millis timeout = Millis(20000));

    void shot(const std::string& step);
    void shotOf(const Image& image, const std::string& step);
    // Writes the steps kept so far as numbered PNG files into folder.
    void writeShots(const std::string& folder) const;

private:
    // The main window, shown or not yet: it answers for the boxes too.
    HWND mainWindow();
    // Brings front forward, unless it is null, and sends the input.
    bool send(Input& input, const char* what, HWND front);
    bool landed(POINT screen);
    void fail(const std::string& why);

    std::string exe_;
    Report report_;
    std::vector<std::pair<std::string, Image>> shots_;
    Process process_;
    HWND window_ = nullptr;
    HWND main_ = nullptr;
    InputState state_;
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

}  // namespace figury
