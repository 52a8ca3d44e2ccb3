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
        case WM_DESTROY:
            // No owner: the window is going away under the box.
            if (saveAtClose(editorState) == SaveOutcome::failed) {
                MessageBoxA(nullptr, saveFailureText, saveFailureCaption, MB_OK | MB_ICONERROR);
            }
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
