#pragma once

#include <windows.h>

#include "editor/editor_state.h"

namespace figury {

// The main window's procedure: unpacks each message and hands it to the edit
// modes and the view. The window's editor state comes as CreateWindowExA's
// creation parameter and is kept in the window's user data.
LRESULT CALLBACK figuryWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The editor state of a window made with figuryWindowProc.
EditorState* editorStateOf(HWND window);

}  // namespace figury
