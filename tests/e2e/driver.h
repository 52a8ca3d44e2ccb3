#pragma once

// Drives another program's windows the way a person does: real input through
// SendInput, pixels read back from the screen. Every wait is bounded and
// waits for a fact: a window there or gone, or the editor's word that it
// has handled the input.

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "editor/win32/input_state.h"
#include "image.h"

namespace figury {

namespace e2e {

using Millis = std::chrono::milliseconds;

// Polls cond until it holds or the time is up; returns its last value.
bool waitUntil(const std::function<bool()>& cond, Millis timeout, Millis poll = Millis(20));

// Under Wine a Unix absolute path names the same file as Z:\ plus the path.
std::string toWindowsPath(const std::string& path);

class Process {
public:
    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process();

    bool start(const std::string& exe, const std::string& workDir);
    DWORD id() const { return info_.dwProcessId; }
    bool running() const;
    // True when the process ended within the time; its exit code goes to *code.
    bool waitExit(Millis timeout, DWORD* code);
    // The last resort for a process that hung.
    void terminate();
    // Lets the process run on after the driver: it is no longer ended here.
    void detach();
    // Holds the program's one thread, so that input piles up in its queue as
    // behind a long paint, and lets it go on.
    bool pause();
    void resume();

private:
    PROCESS_INFORMATION info_{};
};

std::string className(HWND hwnd);
// A window's text as Unicode: what the user reads, whatever the code page.
std::wstring windowText(HWND hwnd);
// Visible or not, top-level windows of one process with the given class and,
// when caption is not null, that exact caption.
std::vector<HWND> topWindows(DWORD pid, const char* cls, const wchar_t* caption = nullptr);
HWND waitForWindow(DWORD pid, const char* cls, const wchar_t* caption, Millis timeout);
bool waitWindowGone(HWND hwnd, Millis timeout);
std::vector<HWND> childWindows(HWND parent);

POINT clientToScreen(HWND hwnd, int x, int y);
RECT clientRectOnScreen(HWND hwnd);

bool bringToFront(HWND hwnd);

// Input as a person gives it. A batch goes in one SendInput call, so that
// nothing comes between its events; each press and release carries its own
// position; every input carries a tag (editor/win32/input_state.h).
class Input {
public:
    Input& moveTo(POINT screen);
    Input& press(POINT screen);  // the left button
    Input& release(POINT screen);
    Input& key(WORD vk, bool up);
    bool empty() const { return inputs_.empty(); }
    // Sends the batch; false when the system took not all of it. *last is
    // the number of its last input.
    bool send(std::uint16_t* last);

private:
    std::vector<INPUT> inputs_;
};

// Asks the editor's main window what input it has taken and whether a paint
// is due. The first question makes it watch the input it takes.
InputState askInputState(HWND window, Millis timeout);
// Waits until the editor has taken the input numbered last and no paint is
// due; false when the time is up first or the window is gone. *state is the
// last answer.
bool waitHandled(HWND window, std::uint16_t last, Millis timeout, InputState* state);
// Waits until no paint is due, for changes made without input.
bool waitPainted(HWND window, Millis timeout, InputState* state);

Image captureScreen(const RECT& area);
// The text as a fresh device context draws it: default font, black on white.
Image renderText(const std::wstring& text);

int countPixels(const Image& image, const RECT& area, std::uint32_t rgb);
// Compares b with the part of a whose top-left corner is (x, y).
bool regionEquals(const Image& a, int x, int y, const Image& b);

}  // namespace e2e

}  // namespace figury
