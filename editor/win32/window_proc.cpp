#include "editor/win32/window_proc.h"

#include "editor/modes.h"
#include "editor/texts.h"
#include "editor/view.h"
#include "editor/win32/gdi_canvas.h"

namespace {

// The class brush erases the background to white before the next paint.
void invalidateClientArea(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    InvalidateRect(window, &client, TRUE);
}

void paint(HWND window, EditorState& state) {
    const Highlight highlight = highlightFor(state);
    recordHighlightedLine(state, highlight);
    PAINTSTRUCT paintStruct;
    HDC dc = BeginPaint(window, &paintStruct);
    {
        GdiCanvas canvas(dc);
        paintFigureView(canvas, state, highlight);
    }
    EndPaint(window, &paintStruct);
}

// Saves before the window closes; when that fails the user chooses: try
// again, go back to the editor with the figure kept, or close without it.
// Enter tries again and Esc goes back, so no key alone discards the edits.
// Returns whether the window may close.
bool saveBeforeClosing(HWND window, EditorState& state) {
    while (saveAtClose(state) == SaveOutcome::failed) {
        const int choice = MessageBoxA(window, saveFailureChoicesText, saveFailureCaption,
                                       MB_CANCELTRYCONTINUE | MB_DEFBUTTON2 | MB_ICONERROR);
        if (choice == IDCONTINUE) {
            closeWithoutSaving(state);
            return true;
        }
        if (choice != IDTRYAGAIN) {
            return false;
        }
    }
    return true;
}

}  // namespace

EditorState* editorStateOf(HWND window) {
    return reinterpret_cast<EditorState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

LRESULT CALLBACK figuryWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    EditorState* state = editorStateOf(window);
    if (state == nullptr) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    switch (message) {
        case WM_CREATE:
            MessageBoxA(window, titleLine, greetingCaption, MB_OK);
            if (loadAtStart(*state)) {
                MessageBoxA(window, loadFailureText, loadFailureCaption, MB_OK);
            }
            break;
        case WM_COMMAND:
            if (onCommand(*state, LOWORD(wParam))) {
                invalidateClientArea(window);
            }
            break;
        case WM_MOUSEMOVE:
            if (onMouseMove(*state, mouseX(lParam), mouseY(lParam))) {
                invalidateClientArea(window);
            }
            break;
        case WM_LBUTTONDOWN:
            // A press may arrive ahead of the repaint for the moves before it;
            // that repaint must first highlight the line the pointer is on.
            if (pressTakesTheHighlight(*state)) {
                UpdateWindow(window);
            }
            if (onLeftButtonDown(*state, mouseX(lParam), mouseY(lParam))) {
                invalidateClientArea(window);
            }
            break;
        case WM_LBUTTONUP:
            onLeftButtonUp(*state, mouseX(lParam), mouseY(lParam));
            break;
        case WM_PAINT:
            paint(window, *state);
            break;
        case WM_CLOSE:
            if (!state->saveSettled && !saveBeforeClosing(window, *state)) {
                return 0;
            }
            break;
        case WM_ENDSESSION:
            // The process may end now without a destroy. Nobody is there to
            // choose, so a save that fails is not tried again either.
            if (wParam && !state->saveSettled) {
                saveAtClose(*state);
                closeWithoutSaving(*state);
            }
            break;
        case WM_DESTROY:
            // Destroyed without a close: no owner, the window is going away under the box.
            if (!state->saveSettled && saveAtClose(*state) == SaveOutcome::failed) {
                MessageBoxA(nullptr, saveFailureText, saveFailureCaption, MB_OK | MB_ICONERROR);
            }
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
