#include "driver.h"

#include <iterator>
#include <thread>

namespace figury {

namespace e2e {

bool waitUntil(const std::function<bool()>& cond, Millis timeout, Millis poll) {
    auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (cond()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= end) {
            return cond();
        }
        std::this_thread::sleep_for(poll);
    }
}

std::string toWindowsPath(const std::string& path) {
    std::string out = path;
    if (!out.empty() && out[0] == '/') {
        out = "Z:" + out;
    }
    for (char& c : out) {
        if (c == '/') {
            c = '\\';
        }
    }
    return out;
}

Process::~Process() {
    terminate();
}

bool Process::start(const std::string& exe, const std::string& workDir) {
    terminate();
    std::string exePath = toWindowsPath(exe);
    std::string commandLine = "\"" + exePath + "\"";
    std::string dir = toWindowsPath(workDir);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(exePath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(),
                        &startup, &info_)) {
        info_ = PROCESS_INFORMATION{};
        return false;
    }
    return true;
}

bool Process::running() const {
    return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

bool Process::waitExit(Millis timeout, DWORD* code) {
    if (!info_.hProcess ||
        WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
        return false;
    }
    if (code && !GetExitCodeProcess(info_.hProcess, code)) {
        return false;
    }
    return true;
}

void Process::terminate() {
    if (info_.hProcess) {
        if (running()) {
            TerminateProcess(info_.hProcess, 99);
            WaitForSingleObject(info_.hProcess, 10000);
        }
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    info_ = PROCESS_INFORMATION{};
}

void Process::detach() {
    if (info_.hProcess) {
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    info_ = PROCESS_INFORMATION{};
}

bool Process::pause() {
    return info_.hThread && SuspendThread(info_.hThread) != static_cast<DWORD>(-1);
}

void Process::resume() {
    if (info_.hThread) {
        ResumeThread(info_.hThread);
    }
}

std::string className(HWND hwnd) {
    char buf[256] = "";
    GetClassNameA(hwnd, buf, sizeof buf);
    return buf;
}

std::wstring windowText(HWND hwnd) {
    wchar_t buf[1024] = L"";
    GetWindowTextW(hwnd, buf, static_cast<int>(std::size(buf)));
    return buf;
}

namespace {

struct TopQuery {
    DWORD pid;
    const char* cls;
    const wchar_t* caption;
    std::vector<HWND> found;
};

BOOL CALLBACK collectTop(HWND hwnd, LPARAM param) {
    auto* q = reinterpret_cast<TopQuery*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == q->pid && className(hwnd) == q->cls && (!q->caption || windowText(hwnd) == q->caption)) {
        q->found.push_back(hwnd);
    }
    return TRUE;
}

BOOL CALLBACK collectChild(HWND hwnd, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}

// Absolute mouse coordinates run from 0 to 65535 across the primary screen and
// are scaled back to pixels by truncation, so round up.
LONG toAbsolute(int pixel, int size) {
    return static_cast<LONG>((static_cast<long long>(pixel) * 65536 + size - 1) / size);
}

INPUT mouseInput(DWORD buttonFlags, POINT screen) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = toAbsolute(screen.x, GetSystemMetrics(SM_CXSCREEN));
    in.mi.dy = toAbsolute(screen.y, GetSystemMetrics(SM_CYSCREEN));
    in.mi.dwFlags = buttonFlags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    return in;
}

INPUT keyInput(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return in;
}

// Numbers the inputs of every batch this process sends.
std::uint16_t lastInputNumber = 0;

UINT inputStateMessage() {
    static const UINT message = RegisterWindowMessageA(inputStateMessageName);
    return message;
}

}  // namespace

std::vector<HWND> topWindows(DWORD pid, const char* cls, const wchar_t* caption) {
    TopQuery q{pid, cls, caption, {}};
    EnumWindows(collectTop, reinterpret_cast<LPARAM>(&q));
    return q.found;
}

HWND waitForWindow(DWORD pid, const char* cls, const wchar_t* caption, Millis timeout) {
    HWND found = nullptr;
    waitUntil(
        [&] {
            auto all = topWindows(pid, cls, caption);
            found = all.empty() ? nullptr : all.front();
            return found != nullptr;
        },
        timeout);
    return found;
}

bool waitWindowGone(HWND hwnd, Millis timeout) {
    return waitUntil([&] { return !IsWindow(hwnd); }, timeout);
}

std::vector<HWND> childWindows(HWND parent) {
    std::vector<HWND> out;
    EnumChildWindows(parent, collectChild, reinterpret_cast<LPARAM>(&out));
    return out;
}

POINT clientToScreen(HWND hwnd, int x, int y) {
    POINT p{x, y};
    ClientToScreen(hwnd, &p);
    return p;
}

RECT clientRectOnScreen(HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    POINT origin = clientToScreen(hwnd, 0, 0);
    OffsetRect(&r, origin.x, origin.y);
    return r;
}

bool bringToFront(HWND hwnd) {
    return waitUntil(
        [&] {
            if (GetForegroundWindow() == hwnd) {
                return true;
            }
            SetForegroundWindow(hwnd);
            return GetForegroundWindow() == hwnd;
        },
        Millis(3000), Millis(50));
}

Input& Input::moveTo(POINT screen) {
    inputs_.push_back(mouseInput(0, screen));
    return *this;
}

Input& Input::press(POINT screen) {
    inputs_.push_back(mouseInput(MOUSEEVENTF_LEFTDOWN, screen));
    return *this;
}

Input& Input::release(POINT screen) {
    inputs_.push_back(mouseInput(MOUSEEVENTF_LEFTUP, screen));
    return *this;
}

Input& Input::key(WORD vk, bool up) {
    inputs_.push_back(keyInput(vk, up));
    return *this;
}

bool Input::send(std::uint16_t* last) {
    for (INPUT& in : inputs_) {
        const ULONG_PTR tag = inputTag(++lastInputNumber);
        if (in.type == INPUT_MOUSE) {
            in.mi.dwExtraInfo = tag;
        } else {
            in.ki.dwExtraInfo = tag;
        }
    }
    *last = lastInputNumber;
    const UINT count = static_cast<UINT>(inputs_.size());
    return SendInput(count, inputs_.data(), sizeof(INPUT)) == count;
}

InputState askInputState(HWND window, Millis timeout) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(window, inputStateMessage(), 0, 0, SMTO_NORMAL,
                             static_cast<UINT>(timeout.count()), &answer)) {
        return InputState{};
    }
    return unpackInputState(static_cast<LRESULT>(answer));
}

namespace {

bool waitInputState(HWND window, Millis timeout, InputState* state,
                    const std::function<bool(const InputState&)>& done) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<Millis>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        // An answer comes only when the editor's thread takes its next
        // message, so the questions follow its work.
        *state = askInputState(window, left);
        if (!state->answered) {
            return false;
        }
        if (done(*state)) {
            return true;
        }
        // A pause between questions, so that waiting for input that went
        // elsewhere does not keep a core busy.
        Sleep(1);
    }
}

}  // namespace

bool waitHandled(HWND window, std::uint16_t last, Millis timeout, InputState* state) {
    return waitInputState(window, timeout, state,
                          [last](const InputState& s) { return hasTaken(s, last) && !s.paintDue; });
}

bool waitPainted(HWND window, Millis timeout, InputState* state) {
    return waitInputState(window, timeout, state, [](const InputState& s) { return !s.paintDue; });
}

namespace {

Image fromDc(HDC source, int x, int y, int width, int height) {
    Image image;
    if (width <= 0 || height <= 0) {
        return image;
    }
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height;  // top-down rows
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC mem = CreateCompatibleDC(source);
    HBITMAP dib = CreateDIBSection(mem, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!mem || !dib || !bits) {
        if (dib) {
            DeleteObject(dib);
        }
        if (mem) {
            DeleteDC(mem);
        }
        return image;
    }
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, width, height, source, x, y, SRCCOPY);
    GdiFlush();
    image.width = width;
    image.height = height;
    image.rgb.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    const auto* src = static_cast<const std::uint8_t*>(bits);
    for (std::size_t i = 0, n = static_cast<std::size_t>(width) * static_cast<std::size_t>(height); i < n;
         ++i) {
        image.rgb[i * 3] = src[i * 4 + 2];
        image.rgb[i * 3 + 1] = src[i * 4 + 1];
        image.rgb[i * 3 + 2] = src[i * 4];
    }
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    return image;
}

}  // namespace

Image captureScreen(const RECT& area) {
    HDC screen = GetDC(nullptr);
    Image image = fromDc(screen, area.left, area.top, area.right - area.left, area.bottom - area.top);
    ReleaseDC(nullptr, screen);
    return image;
}

Image renderText(const std::wstring& text) {
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    SIZE size{};
    GetTextExtentPoint32W(mem, text.c_str(), static_cast<int>(text.size()), &size);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size.cx, size.cy);
    HGDIOBJ old = SelectObject(mem, bitmap);
    TextOutW(mem, 0, 0, text.c_str(), static_cast<int>(text.size()));
    Image image = fromDc(mem, 0, 0, size.cx, size.cy);
    SelectObject(mem, old);
    DeleteObject(bitmap);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return image;
}

int countPixels(const Image& image, const RECT& area, std::uint32_t rgb) {
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            n += image.pixel(x, y) == rgb;
        }
    }
    return n;
}

bool regionEquals(const Image& a, int x, int y, const Image& b) {
    if (b.width == 0 || b.height == 0) {
        return false;
    }
    for (int row = 0; row < b.height; ++row) {
        for (int col = 0; col < b.width; ++col) {
            if (a.pixel(x + col, y + row) != b.pixel(col, row)) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace e2e

}  // namespace figury
