#include "editor/win32/window_proc.h"

#include <new>

#include "editor/modes.h"
#include "editor/texts.h"
#include "editor/view.h"
#include "editor/win32/figure_image.h"
#include "editor/win32/gdi/gdi_canvas.h"
#include "editor/win32/input_state.h"
#include "editor/win32/mouse_position.h"
#include "editor/win32/gdi/polish_text.h"

namespace figury {

namespace {

// What the window keeps in its user data: the editor state it was given, its
// own picture of the figure, and what a driver may ask (input_state.h).
struct WindowData {
    EditorState* state;
    FigureImage image;
    UINT inputStateMessage;
    uint16_t paints;
};

WindowData* windowDataOf(HWND window) {
    return reinterpret_cast<WindowData*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// The paint covers every pixel it may, so there is nothing to erase; the
// buttons keep their faces, which the paint does not draw over.
void invalidateClientArea(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    RedrawWindow(window, &client, nullptr, RDW_INVALIDATE | RDW_NOCHILDREN);
}

// Keeps the paint off the buttons: a frame copied over them would show, white
// or with the figure, until they drew themselves again.
void excludeChildren(HWND window, HDC dc) {
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsWindowVisible(child)) {
            RECT area;
            GetWindowRect(child, &area);
            MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&area), 2);
            ExcludeClipRect(dc, area.left, area.top, area.right, area.bottom);
        }
    }
}

void paint(HWND window, WindowData& data) {
    EditorState& state = *data.state;
    const Highlight highlight = highlightFor(state);
    recordHighlightedLine(state, highlight);
    PAINTSTRUCT paintStruct;
    HDC dc = BeginPaint(window, &paintStruct);
    excludeChildren(window, dc);
    RECT client;
    GetClientRect(window, &client);
    if (!data.image.paint(dc, client.right, client.bottom, state, highlight)) {
        // No memory for the picture: erase and draw on the screen itself.
        FillRect(dc, &paintStruct.rcPaint,
                 reinterpret_cast<HBRUSH>(GetClassLongPtrA(window, GCLP_HBRBACKGROUND)));
        GdiCanvas canvas(dc);
        paintFigureView(canvas, state, highlight);
    }
    EndPaint(window, &paintStruct);
    ++data.paints;
}

// The input the thread has taken, seen by a hook on every message it takes
// out of its queue in any loop. A posted message clears what
// GetMessageExtraInfo tells, so only the moment of taking shows the tag.
thread_local HHOOK inputWatch = nullptr;
thread_local InputState takenInput;

LRESULT CALLBACK watchInput(int code, WPARAM removal, LPARAM message) {
    if (code == HC_ACTION && removal == PM_REMOVE) {
        noteInput(takenInput, static_cast<ULONG_PTR>(GetMessageExtraInfo()));
    }
    return CallNextHookEx(nullptr, code, removal, message);
}

// Under Wine a window's drawing reaches the screen only once its thread
// waits, and then travels on the thread's own connection to the display: a
// wait sends it, and reading a pixel of the screen is a round trip on that
// connection, so the driver's capture after the answer shows the last paint.
// Without them about one capture in twenty missed it.
LRESULT answerInputState(const WindowData& data) {
    if (inputWatch == nullptr) {
        inputWatch = SetWindowsHookExA(WH_GETMESSAGE, watchInput, nullptr, GetCurrentThreadId());
        if (inputWatch == nullptr) {
            return 0;  // as a window that does not know the question
        }
    }
    InputState input = takenInput;
    input.paints = data.paints;
    input.paintDue = HIWORD(GetQueueStatus(QS_PAINT)) != 0;
    if (!input.paintDue) {
        MsgWaitForMultipleObjectsEx(0, nullptr, 0, QS_ALLINPUT, 0);
        HDC screen = GetDC(nullptr);
        GetPixel(screen, 0, 0);
        ReleaseDC(nullptr, screen);
    }
    return packInputState(input);
}

// Saves before the window closes; when that fails the user chooses: try
// again, go back to the editor with the figure kept, or close without it.
// Enter tries again and Esc goes back, so no key alone discards the edits.
// Returns whether the window may close.
bool saveBeforeClosing(HWND window, EditorState& state) {
    ChangedFile changedFile = ChangedFile::ask;
    for (;;) {
        const SaveOutcome outcome = saveAtClose(state, changedFile);
        if (outcome == SaveOutcome::changedFileAtStake) {
            // Yes writes over the other program's file, No keeps it and closes,
            // Cancel goes back; Enter and Esc go back, so no key alone loses
            // either figure.
            const int choice = showMessageBox(window, changedFileText, changedFileCaption,
                                              MB_YESNOCANCEL | MB_DEFBUTTON3 | MB_ICONWARNING);
            if (choice == IDNO) {
                closeWithoutSaving(state);
                return true;
            }
            if (choice != IDYES) {
                return false;
            }
            changedFile = ChangedFile::replace;
            continue;
        }
        if (outcome != SaveOutcome::failed) {
            return true;
        }
        const int choice = showMessageBox(window, saveFailureChoicesText, saveFailureCaption,
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
    const WindowData* data = windowDataOf(window);
    return data != nullptr ? data->state : nullptr;
}

LRESULT CALLBACK figuryWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        auto* data = new (std::nothrow) WindowData{static_cast<EditorState*>(creation->lpCreateParams),
                                                   {},
                                                   RegisterWindowMessageA(inputStateMessageName),
                                                   0};
        if (data == nullptr) {
            return FALSE;
        }
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(data));
    } else if (message == WM_NCDESTROY) {
        delete windowDataOf(window);
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        return DefWindowProcA(window, message, wParam, lParam);
    }
    WindowData* data = windowDataOf(window);
    if (data == nullptr || data->state == nullptr) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    if (message == data->inputStateMessage) {
        return answerInputState(*data);
    }
    EditorState* state = data->state;
    switch (message) {
        case WM_CREATE:
            showMessageBox(window, titleLine, greetingCaption, MB_OK);
            if (loadAtStart(*state)) {
                showMessageBox(window, loadFailureText, loadFailureCaption, MB_OK);
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
        case WM_ERASEBKGND:
            return TRUE;  // the paint covers every pixel
        case WM_PAINT:
            paint(window, *data);
            break;
        case WM_CLOSE:
            if (!state->saveSettled && !saveBeforeClosing(window, *state)) {
                return 0;
            }
            break;
        case WM_ENDSESSION:
            // The process may end now without a destroy. Nobody is there to
            // choose: edits replace a file another program changed, and a
            // save that fails is not tried again either.
            if (wParam && !state->saveSettled) {
                saveAtClose(*state, ChangedFile::replace);
                closeWithoutSaving(*state);
            }
            break;
        case WM_DESTROY:
            // Destroyed without a close, so there is no going back: edits
            // replace a changed file, and a failure is only reported, with no
            // owner, as the window is going away under the box.
            if (!state->saveSettled && saveAtClose(*state, ChangedFile::replace) == SaveOutcome::failed) {
                showMessageBox(nullptr, saveFailureText, saveFailureCaption, MB_OK | MB_ICONERROR);
            }
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace figury
