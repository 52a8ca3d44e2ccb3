#include "editor_session.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <system_error>

namespace figury {

namespace e2e {

namespace {

// Far longer than the editor takes to handle an input and paint, even on a
// loaded machine; only a fault runs into it.
const Millis kHandled(15000);

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

}  // namespace

EditorSession::EditorSession(std::string exe, Report report)
    : exe_(std::move(exe)), report_(std::move(report)) {}

EditorSession::~EditorSession() {
    // A run that went wrong may have left a box or a hung window behind.
    process_.terminate();
}

void EditorSession::fail(const std::string& why) {
    if (report_) {
        report_(why);
    } else {
        std::fprintf(stderr, "%s\n", why.c_str());
    }
}

bool EditorSession::start(const std::string& workDir) {
    window_ = nullptr;
    main_ = nullptr;
    state_ = InputState{};
    if (!process_.start(exe_, workDir)) {
        fail("the editor could not be started: error " + std::to_string(GetLastError()));
        return false;
    }
    return true;
}

bool EditorSession::startAndGreet(const std::string& workDir) {
    if (!start(workDir)) {
        return false;
    }
    HWND greeting = waitBox(L"dane");
    return greeting && answer(greeting) && waitWindow();
}

HWND EditorSession::mainWindow() {
    if (main_ == nullptr || !IsWindow(main_)) {
        const std::vector<HWND> found = topWindows(process_.id(), "Figury");
        main_ = found.empty() ? nullptr : found.front();
    }
    return main_;
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
    DWORD code = 0;
    if (box == nullptr && process_.waitExit(Millis(0), &code)) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%08lX", static_cast<unsigned long>(code));
        fail("the editor ended, with exit code 0x" + std::string(hex) + ", before the box \"" +
             ascii(caption) + "\" showed");
    }
    if (box && settle()) {
        RECT r{};
        GetWindowRect(box, &r);
        shotOf(captureScreen(r), "box " + ascii(caption));
    }
    return box;
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
    return pressKeys({VK_RETURN}, box) && !IsWindow(box);
}

HWND EditorSession::waitWindow(Millis timeout) {
    waitUntil(
        [&] {
            for (HWND w : topWindows(process_.id(), "Figury")) {
                // The buttons come after the window is shown; wait for all seven.
                if (IsWindowVisible(w) && childWindows(w).size() >= 7) {
                    window_ = w;
                    return true;
                }
            }
            return false;
        },
        timeout);
    if (window_) {
        shot("window");
    }
    return window_;
}

bool EditorSession::send(Input& input, const char* what, HWND front) {
    HWND main = mainWindow();
    if (main == nullptr) {
        fail(std::string("no editor window to take the ") + what);
        return false;
    }
    if (front && !bringToFront(front)) {
        fail(std::string("the editor could not be brought to the front for the ") + what);
        return false;
    }
    // The question before the input makes the editor watch what it takes.
    const bool watching = askInputState(main, kHandled).answered;
    if (!watching && IsWindow(main)) {
        fail(std::string("the editor did not answer before the ") + what);
        return false;
    }
    std::uint16_t last = 0;
    if (!input.send(&last)) {
        fail(std::string("the system did not take the ") + what);
        return false;
    }
    // Once the window is gone (the editor ended) there is nothing to wait for.
    if (!watching || waitHandled(main, last, kHandled, &state_) || !IsWindow(main)) {
        return true;
    }
    fail(std::string("the editor did not handle the ") + what + " (input " + std::to_string(last) +
         ") in time: " +
         (!state_.answered  ? std::string("no answer")
          : !state_.taken   ? std::string("no input taken")
          : state_.paintDue ? "a paint still due after input " + std::to_string(state_.lastTaken)
                            : "input taken up to " + std::to_string(state_.lastTaken)));
    return false;
}

bool EditorSession::landed(POINT screen) {
    POINT now{};
    GetCursorPos(&now);
    if (now.x == screen.x && now.y == screen.y) {
        return true;
    }
    fail("the pointer went to " + std::to_string(now.x) + "," + std::to_string(now.y) + " instead of " +
         std::to_string(screen.x) + "," + std::to_string(screen.y));
    return false;
}

bool EditorSession::hover(int x, int y) {
    if (!window_) {
        return false;
    }
    const POINT p = clientToScreen(window_, x, y);
    POINT now{};
    GetCursorPos(&now);
    if (now.x == p.x && now.y == p.y) {
        return settle();  // a move to where the pointer is may make no message
    }
    Input input;
    input.moveTo(p);
    return send(input, "move", window_) && landed(p);
}

bool EditorSession::press(int x, int y) {
    if (!window_) {
        return false;
    }
    const POINT p = clientToScreen(window_, x, y);
    Input input;
    input.moveTo(p).press(p);
    return send(input, "press", window_) && landed(p);
}

bool EditorSession::release(int x, int y) {
    if (!window_) {
        return false;
    }
    const POINT p = clientToScreen(window_, x, y);
    Input input;
    input.moveTo(p).release(p);
    return send(input, "release", window_) && landed(p);
}

bool EditorSession::click(int x, int y) {
    return window_ && clickOnScreen(clientToScreen(window_, x, y), window_);
}

bool EditorSession::pressBeforeRepaint(int x, int y) {
    HWND main = mainWindow();
    if (!window_ || !main || !bringToFront(window_)) {
        return false;
    }
    const POINT p = clientToScreen(window_, x, y);
    if (!askInputState(main, kHandled).answered || !process_.pause()) {
        fail("the editor could not be asked and held before the press");
        return false;
    }
    Input input;
    input.moveTo(p).press(p);
    std::uint16_t last = 0;
    const bool sent = input.send(&last);
    process_.resume();
    if (!sent || !waitHandled(main, last, kHandled, &state_)) {
        fail("the editor did not handle the held press in time");
        return false;
    }
    return landed(p);
}

bool EditorSession::clickOnScreen(POINT screen, HWND front) {
    Input input;
    input.moveTo(screen).press(screen).release(screen);
    return send(input, "click", front ? front : window_) && landed(screen);
}

bool EditorSession::pressKeys(std::initializer_list<WORD> chord, HWND target) {
    // Each key goes on its own: the press may close the window that would
    // take the release. Keys are released even when the editor has ended,
    // so that none stays down for whatever comes next.
    std::vector<std::pair<WORD, bool>> steps;
    for (WORD key : chord) {
        steps.emplace_back(key, false);
    }
    for (auto key = std::rbegin(chord); key != std::rend(chord); ++key) {
        steps.emplace_back(*key, true);
    }
    bool handled = true;
    for (const auto& [key, up] : steps) {
        Input input;
        input.key(key, up);
        if (mainWindow() == nullptr) {
            std::uint16_t ignored = 0;
            input.send(&ignored);
            continue;
        }
        // The chord's first key brings its window forward; the rest go where the keys go then.
        const bool first = &key == &steps.front().first;
        handled = send(input, up ? "key release" : "key press",
                       first ? (target ? target : mainWindow()) : nullptr) &&
                  handled;
    }
    return handled;
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
    return clickOnScreen(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}, window_);
}

bool EditorSession::settle() {
    HWND main = mainWindow();
    if (main != nullptr && waitPainted(main, kHandled, &state_)) {
        return true;
    }
    fail("the editor did not finish painting in time");
    return false;
}

Image EditorSession::shown(const std::string& step) {
    settle();
    Image image = window_ ? captureScreen(clientRectOnScreen(window_)) : Image{};
    shotOf(image, step);
    return image;
}

bool EditorSession::statusIs(const std::wstring& text, Image* shownImage) {
    const Image image = shown("status " + ascii(text));
    if (shownImage) {
        *shownImage = image;
    }
    return statusShows(image, text);
}

bool EditorSession::shows(const std::function<bool(const Image&)>& cond, Image* shownImage) {
    const Image image = shown();
    if (shownImage) {
        *shownImage = image;
    }
    return cond(image);
}

bool EditorSession::closeWithAltF4(DWORD* exitCode, Millis timeout) {
    if (!window_) {
        return false;
    }
    shot("before close");
    return pressKeys({VK_MENU, VK_F4}) && waitExit(exitCode, timeout);
}

bool EditorSession::waitExit(DWORD* exitCode, Millis timeout) {
    return process_.waitExit(timeout, exitCode);
}

void EditorSession::shot(const std::string& step) {
    if (!mainWindow() || !settle()) {
        return;
    }
    RECT frame{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (window_) {
        GetWindowRect(window_, &frame);
    }
    shotOf(captureScreen(frame), step);
}

void EditorSession::shotOf(const Image& image, const std::string& step) {
    if (image.width > 0) {
        shots_.emplace_back(step, image);
    }
}

void EditorSession::writeShots(const std::string& folder) const {
    if (shots_.empty() || !makeDirs(folder)) {
        return;
    }
    int number = 0;
    for (const auto& [step, image] : shots_) {
        std::string name;
        for (char c : step) {
            name += (std::isalnum(static_cast<unsigned char>(c)) ? c : '-');
        }
        char prefix[16];
        std::snprintf(prefix, sizeof prefix, "%02d-", ++number);
        writePng(folder + "/" + prefix + name + ".png", image);
    }
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

}  // namespace figury
