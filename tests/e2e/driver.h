#pragma once

// Drives another program's windows the way a person does: real input through
// SendInput, pixels read back from the screen. Every wait is bounded.

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "image.h"

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
// Moves the real pointer to a screen position and checks it got there.
bool moveMouseTo(int x, int y);
void leftDown();
void leftUp();
void tapKey(WORD vk);
void tapAltF4();

Image captureScreen(const RECT& area);
// The text as a fresh device context draws it: default font, black on white.
Image renderText(const std::wstring& text);

int countPixels(const Image& image, const RECT& area, std::uint32_t rgb);
bool sameImage(const Image& a, const Image& b);
// Compares b with the part of a whose top-left corner is (x, y).
bool regionEquals(const Image& a, int x, int y, const Image& b);

}  // namespace e2e
