#include "window_proc.h"

#include "gdi_canvas.h"
#include "modes.h"
#include "texts.h"
#include "view.h"

EditorState editorState;

namespace {

// The class brush erases the background to white before the next paint.
void invalidateClientArea(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    InvalidateRect(window, &client, TRUE);
}

void paint(HWND window) {
    PAINTSTRUCT paintStruct;
    HDC dc = BeginPaint(window, &paintStruct);
    {
        GdiCanvas canvas(dc);
        paintFigureView(canvas, editorState.figure, editorState.hoverX, editorState.hoverY,
                        editorState);
    }
    EndPaint(window, &paintStruct);
}

// Saves before the window closes; when that fails the user chooses: try
// again, go back to the editor with the figure kept, or close without it.
// Enter tries again and Esc goes back, so no key alone discards the edits.
// Returns whether the window may close.
bool saveBeforeClosing(HWND window) {
    while (saveAtClose(editorState) == SaveOutcome::failed) {
        const int choice = MessageBoxA(window, saveFailureChoicesText, saveFailureCaption,
                                       MB_CANCELTRYCONTINUE | MB_DEFBUTTON2 | MB_ICONERROR);
        if (choice == IDCONTINUE) {
            closeWithoutSaving(editorState);
            return true;
        }
        if (choice != IDTRYAGAIN) {
            return false;
        }
    }
    return true;
}

}  // namespace

LRESULT CALLBACK figuryWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            MessageBoxA(window, titleLine, greetingCaption, MB_OK);
            if (loadAtStart(editorState)) {
                MessageBoxA(window, loadFailureText, loadFailureCaption, MB_OK);
            }
            break;
        case WM_COMMAND:
            if (onCommand(editorState, LOWORD(wParam))) {
                invalidateClientArea(window);
            }
            break;
        case WM_MOUSEMOVE:
            if (onMouseMove(editorState, mouseX(lParam), mouseY(lParam))) {
                invalidateClientArea(window);
            }
            break;
        case WM_LBUTTONDOWN:
            // A press may arrive ahead of the repaint for the moves before it;
            // that repaint must first highlight the line the pointer is on.
            if (pressTakesTheHighlight(editorState)) {
                UpdateWindow(window);
            }
            if (onLeftButtonDown(editorState, mouseX(lParam), mouseY(lParam))) {
                invalidateClientArea(window);
            }
            break;
        case WM_LBUTTONUP:
            onLeftButtonUp(editorState, mouseX(lParam), mouseY(lParam));
            break;
        case WM_PAINT:
            paint(window);
            break;
        case WM_CLOSE:
            if (!editorState.saveSettled && !saveBeforeClosing(window)) {
                return 0;
            }
            break;
        case WM_ENDSESSION:
            // The process may end now without a destroy. Nobody is there to
            // choose, so a save that fails is not tried again either.
            if (wParam && !editorState.saveSettled) {
                saveAtClose(editorState);
                closeWithoutSaving(editorState);
            }
            break;
        case WM_DESTROY:
            // Destroyed without a close: no owner, the window is going away under the box.
            if (!editorState.saveSettled && saveAtClose(editorState) == SaveOutcome::failed) {
                MessageBoxA(nullptr, saveFailureText, saveFailureCaption, MB_OK | MB_ICONERROR);
            }
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
