#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace figury {

// The program keeps every text as Windows-1250 bytes (editor/texts.h). An ANSI
// call reads such bytes in the system's code page, which is 1250 only where
// Windows runs programs that are not Unicode in Polish: elsewhere "usuń punkt"
// shows as "usuñ punkt". So no text the user reads goes to an ANSI call; each
// reaches Windows through one of these, which turn it into UTF-16 for the wide
// call. A new message box, label or status text goes through them too.

// The text of Windows-1250 bytes in UTF-16, one unit for each byte.
std::wstring fromWindows1250(std::string_view text);

// MessageBoxW with a text and caption of Windows-1250 bytes, neither null.
// Returns the button chosen (IDOK, IDCANCEL, IDYES, IDNO, IDTRYAGAIN, ...) as
// MessageBoxW does, or 0 when no box could be shown.
int showMessageBox(HWND owner, const char* text, const char* caption, UINT type);

// CreateWindowExW for a child control of a system class ("button", "static",
// ...) with a text of Windows-1250 bytes; controlId comes back in WM_COMMAND.
// The control is a Unicode window, so Windows keeps and draws its text as given.
HWND createControl(const wchar_t* className, const char* text, DWORD style, int x, int y, int width,
                   int height, HWND parent, int controlId, HINSTANCE instance);

// TextOutW of length bytes of Windows-1250 text at (x, y), in the context's
// font, colours and background mode.
void drawText(HDC dc, int x, int y, const char* text, int length);

}  // namespace figury
