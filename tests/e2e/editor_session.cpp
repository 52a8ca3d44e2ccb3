#include "editor_session.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace e2e {

namespace {

const Millis kInput(5000);

bool makeDirs(const std::string& path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    return std::filesystem::is_directory(path, error);
}

// A text for a screenshot's name, which keeps ASCII letters and digits only.
std::string ascii(const std::wstring& text) {
    std::string narrow;
    for (wchar_t c : text) {
        narrow += c < 0x80 ? static_cast<char>(c) : '-';
    }
    return narrow;
}

// A box or a window just shown may still be painting.
Image settledCapture(const RECT& area) {
    Image last = captureScreen(area);
    waitUntil(
        [&] {
            Sleep(60);
            Image next = captureScreen(area);
            bool same = sameImage(last, next);
            last = std::move(next);
            return same;
        },
        Millis(3000), Millis(0));
    return last;
}

}  // namespace

EditorSession::EditorSession(std::string exe, std::string shotDir)
    : exe_(std::move(exe)), shotDir_(std::move(shotDir)) {}

EditorSession::~EditorSession() {
    // A run that went wrong may have left a box or a hung window behind.
    process_.terminate();
}

bool EditorSession::start(const std::string& workDir) {
    window_ = nullptr;
    return process_.start(exe_, workDir);
}

bool EditorSession::startAndGreet(const std::string& workDir) {
    if (!start(workDir)) {
        return false;
    }
    HWND greeting = waitBox(L"dane");
    return greeting && answer(greeting) && waitWindow();
}

HWND EditorSession::waitBox(const std::wstring& caption, Millis timeout) {
    HWND box = nullptr;
    waitUntil(
        [&] {
            for (HWND w : topWindows(process_.id(), "#32770", caption.c_str())) {
                if (IsWindowVisible(w)) {
                    box = w;
                    return true;
                }
            }
            return !process_.running();
        },
        timeout);
    if (box) {
        RECT r{};
        GetWindowRect(box, &r);
        shotOf(settledCapture(r), "box " + ascii(caption));
    }
    return box;
}

bool EditorSession::boxAppears(const std::wstring& caption, Millis timeout) {
    return waitBox(caption, timeout) != nullptr;
}

std::wstring EditorSession::boxText(HWND box) {
    // A message box keeps its text in the static control 0xFFFF.
    HWND text = GetDlgItem(box, 0xFFFF);
    return text ? windowText(text) : std::wstring();
}

bool EditorSession::boxHasIcon(HWND box) {
    for (HWND child : childWindows(box)) {
        LONG style = GetWindowLongA(child, GWL_STYLE);
        if (className(child) == "Static" && (style & SS_TYPEMASK) == SS_ICON &&
            SendMessageA(child, STM_GETICON, 0, 0) != 0) {
            return true;
        }
    }
    return false;
}

bool EditorSession::answer(HWND box) {
    if (!bringToFront(box)) {
        return false;
    }
    tapKey(VK_RETURN);
    return waitWindowGone(box, Millis(10000));
}

HWND EditorSession::waitWindow(Millis timeout) {
    waitUntil(
        [&] {
            for (HWND w : topWindows(process_.id(), "Figury")) {
                if (IsWindowVisible(w)) {
                    window_ = w;
                    return true;
                }
            }
            return false;
        },
        timeout);
    if (window_) {
        // The buttons come after the window is shown; wait for all seven.
        waitUntil([&] { return childWindows(window_).size() >= 7; }, Millis(10000));
        shot("window");
    }
    return window_;
}

bool EditorSession::hover(int x, int y) {
    if (!window_ || !bringToFront(window_)) {
        return false;
    }
    POINT p = clientToScreen(window_, x, y);
    return moveMouseTo(p.x, p.y);
}

bool EditorSession::press(int x, int y) {
    if (!hover(x, y)) {
        return false;
    }
    leftDown();
    return true;
}

bool EditorSession::pressBeforeRepaint(int x, int y) {
    if (!window_ || !bringToFront(window_)) {
        return false;
    }
    POINT p = clientToScreen(window_, x, y);
    if (!process_.pause()) {
        return false;
    }
    const bool moved = moveMouseTo(p.x, p.y);
    if (moved) {
        leftDown();
    }
    process_.resume();
    return moved;
}

bool EditorSession::release() {
    leftUp();
    return true;
}

bool EditorSession::click(int x, int y) {
    return press(x, y) && release();
}

HWND EditorSession::button(int id) const {
    for (HWND child : childWindows(window_)) {
        if (GetDlgCtrlID(child) == id && GetParent(child) == window_) {
            return child;
        }
    }
    return nullptr;
}

bool EditorSession::clickButton(int id) {
    HWND b = button(id);
    if (!b) {
        return false;
    }
    RECT r{};
    GetWindowRect(b, &r);
    if (!bringToFront(window_) || !moveMouseTo((r.left + r.right) / 2, (r.top + r.bottom) / 2)) {
        return false;
    }
    leftDown();
    leftUp();
    return true;
}

Image EditorSession::capture() const {
    return window_ ? captureScreen(clientRectOnScreen(window_)) : Image{};
}

Image EditorSession::settled() {
    Image image = settledClient();
    shotOf(image, "settled");
    return image;
}

Image EditorSession::settledClient() const {
    return window_ ? settledCapture(clientRectOnScreen(window_)) : Image{};
}

bool EditorSession::waitFor(const std::function<bool(const Image&)>& cond, Image* last, Millis timeout) {
    Image image;
    bool ok = waitUntil(
        [&] {
            image = capture();
            return cond(image);
        },
        timeout, Millis(30));
    if (ok) {
        // The condition may hold half-way through a paint: take the finished one.
        image = settledClient();
        ok = cond(image);
    }
    shotOf(image, ok ? "as expected" : "not as expected");
    if (last) {
        *last = image;
    }
    return ok;
}

bool EditorSession::waitStatus(const std::wstring& text, Image* last) {
    Image image;
    bool ok = waitUntil(
        [&] {
            image = capture();
            return statusShows(image, text);
        },
        Millis(10000), Millis(30));
    if (ok) {
        image = settledClient();
        ok = statusShows(image, text);
    }
    shotOf(image, (ok ? "status " : "status is not ") + ascii(text));
    if (last) {
        *last = image;
    }
    return ok;
}

bool EditorSession::closeWithAltF4(DWORD* exitCode, Millis timeout) {
    if (!window_ || !bringToFront(window_)) {
        return false;
    }
    shot("before close");
    tapAltF4();
    return waitExit(exitCode, timeout);
}

bool EditorSession::waitExit(DWORD* exitCode, Millis timeout) {
    return process_.waitExit(timeout, exitCode);
}

void EditorSession::shot(const std::string& step) {
    if (!window_) {
        RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        shotOf(settledCapture(screen), step);
        return;
    }
    RECT frame{};
    GetWindowRect(window_, &frame);
    shotOf(settledCapture(frame), step);
}

void EditorSession::shotOf(const Image& image, const std::string& step) {
    if (shotDir_.empty() || image.width == 0 || !makeDirs(shotDir_)) {
        return;
    }
    std::string name;
    for (char c : step) {
        name += (std::isalnum(static_cast<unsigned char>(c)) ? c : '-');
    }
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%02d-", ++shotCount_);
    writePng(shotDir_ + "/" + prefix + name + ".png", image);
}

bool statusShows(const Image& client, const std::wstring& text) {
    const int x = 10;
    const int y = 35;
    int width = 0;
    int height = 16;
    if (!text.empty()) {
        Image expected = renderText(text);
        if (!regionEquals(client, x, y, expected)) {
            return false;
        }
        width = expected.width;
        height = expected.height;
    }
    // Nothing more may follow: the strip after the text is white.
    RECT after{x + width, y, x + width + 40, y + height};
    return countPixels(client, after, kWhite) == (after.right - after.left) * (after.bottom - after.top);
}

bool pointMarked(const Image& client, int x, int y) {
    return countPixels(client, RECT{x - 2, y - 2, x + 3, y + 3}, kBlack) >= 4;
}

bool pointRinged(const Image& client, int x, int y) {
    // The ring is a 10-pixel circle around the point; its outline has well over 20 pixels.
    return countPixels(client, RECT{x - 6, y - 6, x + 7, y + 7}, kRed) >= 16;
}

int redPixels(const Image& client) {
    return countPixels(client, RECT{0, 0, client.width, client.height}, kRed);
}

int redAcross(const Image& client, int x, int y, bool vertically) {
    RECT r = vertically ? RECT{x, y - 3, x + 1, y + 4} : RECT{x - 3, y, x + 4, y + 1};
    return countPixels(client, r, kRed);
}

bool blankBelowButtons(const Image& client) {
    RECT below{0, 30, client.width, client.height};
    return countPixels(client, below, kWhite) == (below.right - below.left) * (below.bottom - below.top);
}

}  // namespace e2e
