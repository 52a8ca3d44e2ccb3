#include "editor/win32/window_proc.h"

#include <new>
#include <utility>
#include <vector>

#include "editor/commands.h"
#include "editor/modes.h"
#include "editor/texts.h"
#include "editor/view.h"
#include "editor/win32/figure_image.h"
#include "editor/win32/gdi/gdi_canvas.h"
#include "editor/win32/input_state.h"
#include "editor/win32/mouse_position.h"
#include "editor/win32/window_journal.h"
#include "editor/win32/gdi/polish_text.h"

namespace figury {

namespace {

// The window behind the procedure, kept in its user data from WM_NCCREATE to
// WM_NCDESTROY: the editor state it was given, its own picture of the figure,
// and what a driver may ask (input_state.h). Each handler takes one message,
// unpacked. What it means is for the edit modes to decide (modes.h, whose
// handlers have the same names and are called as figury::onCommand and so
// on); a handler here does what Windows must: repaint, show a message box,
// end the message loop.
class MainWindow {
public:
    MainWindow(HWND handle, EditorState* state)
        : handle_(handle), state_(state), inputStateMessage_(RegisterWindowMessageA(inputStateMessageName)) {}

    // Null when the window was made without a state: it then only does what
    // every window does.
    EditorState* state() const { return state_; }
    // The question is a message registered at run time, so it has no case of its own.
    bool asksInputState(UINT message) const { return message == inputStateMessage_; }

    void onCreate();
    void onCommand(int controlId);
    void onMouseMove(int32_t x, int32_t y);
    void onLeftButtonDown(int32_t x, int32_t y);
    void onLeftButtonUp(int32_t x, int32_t y);
    void onPaint();
    bool onClose();  // whether the window may close
    void onEndSession(bool ending);
    void onDestroy();
    LRESULT onInputState();

private:
    void invalidateClientArea();
    void excludeChildren(HDC dc);
    bool saveBeforeClosing();
    void saveNow();

    HWND handle_;
    EditorState* state_;
    FigureImage image_;
    WindowJournal journal_;
    UINT inputStateMessage_;
    uint16_t paints_ = 0;
};

MainWindow* mainWindowOf(HWND window) {
    return reinterpret_cast<MainWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// False when there is no memory for it: the window is then not created.
bool keepMainWindow(HWND window, const CREATESTRUCTA& creation) {
    auto* mainWindow =
        new (std::nothrow) MainWindow(window, static_cast<EditorState*>(creation.lpCreateParams));
    if (mainWindow == nullptr) {
        return false;
    }
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(mainWindow));
    return true;
}

void forgetMainWindow(HWND window) {
    delete mainWindowOf(window);
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
}

void MainWindow::onCreate() {
    showMessageBox(handle_, titleLine, greetingCaption, MB_OK);
    LoadedFile loaded;
    if (loadAtStart(*state_, figureFilePath, &loaded)) {
        showMessageBox(handle_, loadFailureText, loadFailureCaption, MB_OK);
    }
    journal_.start(handle_, *state_, std::move(loaded));
}

void MainWindow::onCommand(int controlId) {
    if (controlId == static_cast<int>(Command::save)) {
        saveNow();
        return;
    }
    const bool changed = figury::onCommand(*state_, controlId);
    // A failing journal tells the status line, whatever the command did.
    if (journal_.afterStep(*state_) || changed) {
        invalidateClientArea();
    }
}

void MainWindow::onMouseMove(int32_t x, int32_t y) {
    if (figury::onMouseMove(*state_, x, y)) {
        invalidateClientArea();
    }
}

void MainWindow::onLeftButtonDown(int32_t x, int32_t y) {
    // A press may arrive ahead of the repaint for the moves before it; that
    // repaint must first highlight the line the pointer is on.
    if (pressTakesTheHighlight(*state_)) {
        UpdateWindow(handle_);
    }
    const bool changed = figury::onLeftButtonDown(*state_, x, y);
    if (journal_.afterStep(*state_) || changed) {
        invalidateClientArea();
    }
}

void MainWindow::onLeftButtonUp(int32_t x, int32_t y) {
    figury::onLeftButtonUp(*state_, x, y);
}

// The paint covers every pixel it may, so there is nothing to erase; the
// buttons keep their faces, which the paint does not draw over.
void MainWindow::invalidateClientArea() {
    RECT client;
    GetClientRect(handle_, &client);
    RedrawWindow(handle_, &client, nullptr, RDW_INVALIDATE | RDW_NOCHILDREN);
}

// Keeps the paint off the buttons: a frame copied over them would show, white
// or with the figure, until they drew themselves again.
void MainWindow::excludeChildren(HDC dc) {
    for (HWND child = GetWindow(handle_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsWindowVisible(child)) {
            RECT area;
            GetWindowRect(child, &area);
            MapWindowPoints(nullptr, handle_, reinterpret_cast<POINT*>(&area), 2);
            ExcludeClipRect(dc, area.left, area.top, area.right, area.bottom);
        }
    }
}

void MainWindow::onPaint() {
    EditorState& state = *state_;
    const Highlight highlight = highlightFor(state);
    recordHighlightedLine(state, highlight);
    PAINTSTRUCT paintStruct;
    HDC dc = BeginPaint(handle_, &paintStruct);
    excludeChildren(dc);
    RECT client;
    GetClientRect(handle_, &client);
    if (!image_.paint(dc, client.right, client.bottom, state, highlight)) {
        // No memory for the picture: erase and draw on the screen itself.
        FillRect(dc, &paintStruct.rcPaint,
                 reinterpret_cast<HBRUSH>(GetClassLongPtrA(handle_, GCLP_HBRBACKGROUND)));
        GdiCanvas canvas(dc);
        paintFigureView(canvas, state, highlight);
    }
    EndPaint(handle_, &paintStruct);
    ++paints_;
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
LRESULT MainWindow::onInputState() {
    if (inputWatch == nullptr) {
        inputWatch = SetWindowsHookExA(WH_GETMESSAGE, watchInput, nullptr, GetCurrentThreadId());
        if (inputWatch == nullptr) {
            return 0;  // as a window that does not know the question
        }
    }
    InputState input = takenInput;
    input.paints = paints_;
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
bool MainWindow::saveBeforeClosing() {
    EditorState& state = *state_;
    ChangedFile changedFile = ChangedFile::ask;
    for (;;) {
        const SaveOutcome outcome = saveAtClose(state, changedFile);
        if (outcome == SaveOutcome::changedFileAtStake || outcome == SaveOutcome::unreadFileAtStake) {
            // Yes writes over the file, No keeps it and closes, Cancel goes
            // back; Enter and Esc go back, so no key alone loses either figure.
            const bool changed = outcome == SaveOutcome::changedFileAtStake;
            const int choice = showMessageBox(handle_, changed ? changedFileText : unreadFileText,
                                              changed ? changedFileCaption : unreadFileCaption,
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
        const int choice = showMessageBox(handle_, saveFailureChoicesText, saveFailureCaption,
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

// Ctrl+S: the save of the close, which the user may try again or give up,
// going back to the editor either way. A file another program changed, or
// one the load could not read, is replaced only when the user says so; No
// and Esc keep it.
void MainWindow::saveNow() {
    EditorState& state = *state_;
    ChangedFile changedFile = ChangedFile::ask;
    for (;;) {
        std::vector<char> written;
        const SaveOutcome outcome = figury::saveNow(state, changedFile, written);
        if (outcome == SaveOutcome::written) {
            journal_.restart(std::move(written));
        } else if (outcome == SaveOutcome::changedFileAtStake || outcome == SaveOutcome::unreadFileAtStake) {
            const bool changed = outcome == SaveOutcome::changedFileAtStake;
            if (showMessageBox(handle_, changed ? saveNowChangedFileText : saveNowUnreadFileText,
                               changed ? changedFileCaption : unreadFileCaption,
                               MB_YESNO | MB_DEFBUTTON2 | MB_ICONWARNING) == IDYES) {
                changedFile = ChangedFile::replace;
                continue;
            }
        } else if (outcome == SaveOutcome::failed) {
            if (showMessageBox(handle_, saveNowFailureText, saveFailureCaption,
                               MB_RETRYCANCEL | MB_ICONERROR) == IDRETRY) {
                continue;
            }
        }
        break;
    }
    journal_.afterStep(state);
    invalidateClientArea();
}

// The journal goes with a close that saved or chose not to save.
bool MainWindow::onClose() {
    if (!state_->saveSettled && !saveBeforeClosing()) {
        return false;
    }
    journal_.end(true);
    return true;
}

// A save at the close that nobody can answer: what the close would ask
// about, and a save that fails, are left to the next start, which finds the
// journal and offers the edits back; a file another program changed, or one
// the load could not read, is then left as it is.
SaveOutcome saveUnasked(EditorState& state) {
    const SaveOutcome outcome = saveAtClose(state, ChangedFile::ask);
    closeWithoutSaving(state);
    return outcome;
}

// The process may end now without a destroy, and nobody is there to choose.
void MainWindow::onEndSession(bool ending) {
    if (ending && !state_->saveSettled) {
        journal_.end(saveSettles(saveUnasked(*state_)));
    }
}

// Destroyed without a close, so there is no going back and nobody to ask, as
// at the session's end; a failure is only reported, with no owner, as the
// window is going away under the box.
void MainWindow::onDestroy() {
    SaveOutcome outcome = SaveOutcome::written;
    if (!state_->saveSettled) {
        outcome = saveUnasked(*state_);
        if (outcome == SaveOutcome::failed) {
            showMessageBox(nullptr, saveFailureText, saveFailureCaption, MB_OK | MB_ICONERROR);
        }
    }
    journal_.end(saveSettles(outcome));
    PostQuitMessage(0);
}

}  // namespace

EditorState* editorStateOf(HWND window) {
    const MainWindow* mainWindow = mainWindowOf(window);
    return mainWindow != nullptr ? mainWindow->state() : nullptr;
}

LRESULT CALLBACK figuryWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE && !keepMainWindow(window, *reinterpret_cast<const CREATESTRUCTA*>(lParam))) {
        return FALSE;
    }
    if (message == WM_NCDESTROY) {
        forgetMainWindow(window);
        return DefWindowProcA(window, message, wParam, lParam);
    }
    MainWindow* mainWindow = mainWindowOf(window);
    if (mainWindow == nullptr || mainWindow->state() == nullptr) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    if (mainWindow->asksInputState(message)) {
        return mainWindow->onInputState();
    }
    switch (message) {
        case WM_CREATE:
            mainWindow->onCreate();
            break;
        case WM_COMMAND:
            mainWindow->onCommand(LOWORD(wParam));
            break;
        case WM_MOUSEMOVE:
            mainWindow->onMouseMove(mouseX(lParam), mouseY(lParam));
            break;
        case WM_LBUTTONDOWN:
            mainWindow->onLeftButtonDown(mouseX(lParam), mouseY(lParam));
            break;
        case WM_LBUTTONUP:
            mainWindow->onLeftButtonUp(mouseX(lParam), mouseY(lParam));
            break;
        case WM_ERASEBKGND:
            return TRUE;  // the paint covers every pixel
        case WM_PAINT:
            mainWindow->onPaint();
            break;
        case WM_CLOSE:
            if (!mainWindow->onClose()) {
                return 0;
            }
            break;
        case WM_ENDSESSION:
            mainWindow->onEndSession(wParam != 0);
            break;
        case WM_DESTROY:
            mainWindow->onDestroy();
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace figury
