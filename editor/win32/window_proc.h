#pragma once

#include <windows.h>

#include "editor_state.h"

// The editor's state for the life of the process, touched only on the UI thread.
extern EditorState editorState;

// The main window's procedure: unpacks each message and hands it to the edit modes and the view.
LRESULT CALLBACK figuryWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
