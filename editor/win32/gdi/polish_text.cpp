#include "editor/win32/gdi/polish_text.h"

namespace figury {

namespace {

constexpr UINT windows1250 = 1250;

}  // namespace

std::wstring fromWindows1250(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    // A single-byte code page: as many UTF-16 units as bytes. Every Windows has
    // the table of 1250, whatever its own code page.
    std::wstring wide(text.size(), L'\0');
    const int length = MultiByteToWideChar(windows1250, 0, text.data(), static_cast<int>(text.size()),
                                           wide.data(), static_cast<int>(wide.size()));
    wide.resize(static_cast<size_t>(length));
    return wide;
}

int showMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    return MessageBoxW(owner, fromWindows1250(text).c_str(), fromWindows1250(caption).c_str(), type);
}

HWND createControl(const wchar_t* className, const char* text, DWORD style, int x, int y, int width,
                   int height, HWND parent, int controlId, HINSTANCE instance) {
    // A child window's menu argument carries its control identifier.
    HMENU id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId));
    return CreateWindowExW(0, className, fromWindows1250(text).c_str(), style, x, y, width, height, parent,
                           id, instance, nullptr);
}

void drawText(HDC dc, int x, int y, const char* text, int length) {
    if (length <= 0) {
        return;
    }
    const std::wstring wide = fromWindows1250(std::string_view(text, static_cast<size_t>(length)));
    TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
}

}  // namespace figury
