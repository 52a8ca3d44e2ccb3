#pragma once

#include <windows.h>

#include "editor/editor_state.h"

namespace figury {

// The main window's class name, shared by registration and creation.
inline constexpr char windowClassName[] = "Figury";

inline constexpr int mainWindowWidth = 800;
inline constexpr int mainWindowHeight = 600;
inline constexpr DWORD mainWindowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

ATOM registerFiguryClass(HINSTANCE instance);
// The window keeps state, which must outlive it. Returns null when the
// window could not be created.
HWND createMainWindow(HINSTANCE instance, EditorState& state);
// The row of seven buttons across the top of the window: five commands between two blank ends.
void createButtonBar(HWND window, HINSTANCE instance);
// The keys of the edit commands that have no button: Ctrl+Z undoes, Ctrl+Y
// and Ctrl+Shift+Z redo, Esc calls off a half-done operation, Ctrl+S saves. The caller
// destroys the table.
HACCEL createEditKeys();
// Hands one message of the loop on: a key of the table goes to window as a
// command, whichever of its controls has the keyboard focus.
void dispatchMessageWithKeys(HWND window, HACCEL keys, MSG& message);
// Runs until the quit message and returns its wParam.
int runMessageLoop(HWND window, HACCEL keys);

// The whole program: class, window, buttons and message loop. Returns the
// exit code, non-zero when the window could not be created.
int runEditor(HINSTANCE instance, int showCommand);

}  // namespace figury
