#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "editor/commands.h"
#include "editor/session_journal.h"
#include "editor/win32/journal_file.h"
#include "figure/figure_file.h"
#include "editor/win32/input_state.h"
#include "editor/win32/main_window.h"
#include "editor/win32/gdi/pixel_buffer.h"
#include "support/code_page.h"
#include "support/figures.h"
#include "support/user_texts.h"
#include "window_fixture.h"

namespace figury {

namespace {

const COLORREF white = RGB(255, 255, 255);
const COLORREF black = RGB(0, 0, 0);
const COLORREF red = RGB(255, 0, 0);

using user_texts::wide;
using user_texts::windows1250;

const std::wstring greeting = wide(user_texts::title);
const std::wstring loadFailure = wide(user_texts::loadFailure);

// The pixels of a width x height patch of dc at (x, y), as 0x00RRGGBB.
std::vector<uint32_t> patchOf(HDC dc, int x, int y, int width, int height) {
    PixelBuffer patch(dc, width, height);
    if (!patch.ready()) {
        ADD_FAILURE() << "no buffer for the patch";
        return {};
    }
    BitBlt(patch.dc(), 0, 0, width, height, dc, x, y, SRCCOPY);
    GdiFlush();
    const uint32_t* first = patch.pixels();
    std::vector<uint32_t> pixels(first, first + static_cast<size_t>(width) * static_cast<size_t>(height));
    for (uint32_t& pixel : pixels) {
        pixel &= 0xFFFFFFu;
    }
    return pixels;
}

// A strip width pixels wide with the text drawn from Unicode at its left, as
// a fresh context like dc draws it: its font, black on white.
struct TextStrip {
    int height;
    std::vector<uint32_t> pixels;
};
TextStrip drawnFromUnicode(HDC dc, const std::wstring& text, int width) {
    HDC memory = CreateCompatibleDC(dc);
    SIZE size = {};
    GetTextExtentPoint32W(memory, text.c_str(), static_cast<int>(text.size()), &size);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, width, size.cy);
    HGDIOBJ before = SelectObject(memory, bitmap);
    const RECT strip = {0, 0, width, size.cy};
    FillRect(memory, &strip, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    TextOutW(memory, 0, 0, text.c_str(), static_cast<int>(text.size()));
    TextStrip drawn = {size.cy, patchOf(memory, 0, 0, width, size.cy)};
    SelectObject(memory, before);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return drawn;
}

class MainWindow : public ScratchFolderTest {
protected:
    static void SetUpTestSuite() { registerFiguryClass(GetModuleHandleA(nullptr)); }

    void SetUp() override {
        ScratchFolderTest::SetUp();
        ASSERT_TRUE(testing_support::runsInTheCodePageAskedFor());
    }

    void TearDown() override {
        if (window_ != nullptr && IsWindow(window_)) {
            DestroyWindow(window_);
        }
        WPARAM ignored;
        takeQuit(ignored);
        ScratchFolderTest::TearDown();
    }

    void open() {
        const HINSTANCE instance = GetModuleHandleA(nullptr);
        window_ = createMainWindow(instance, state_);
        ASSERT_NE(nullptr, window_);
        ShowWindow(window_, SW_SHOWNORMAL);
        createButtonBar(window_, instance);
        UpdateWindow(window_);
    }

    // Closes as the caption's close box does; returns the quit code.
    WPARAM close() {
        SendMessageA(window_, WM_CLOSE, 0, 0);
        EXPECT_FALSE(IsWindow(window_));
        window_ = nullptr;
        WPARAM code = 12345;
        EXPECT_TRUE(takeQuit(code));
        return code;
    }

    static LPARAM position(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }
    void command(int id) { SendMessageA(window_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    void press(int x, int y) { SendMessageA(window_, WM_LBUTTONDOWN, MK_LBUTTON, position(x, y)); }
    void release(int x, int y) { SendMessageA(window_, WM_LBUTTONUP, 0, position(x, y)); }
    void hover(int x, int y) { SendMessageA(window_, WM_MOUSEMOVE, 0, position(x, y)); }
    void click(int x, int y) {
        press(x, y);
        release(x, y);
    }

    void settle() { ValidateRect(window_, nullptr); }
    bool repaintPending() { return GetUpdateRect(window_, nullptr, FALSE) != 0; }
    void paintPending() { UpdateWindow(window_); }
    void repaint() {
        InvalidateRect(window_, nullptr, TRUE);
        UpdateWindow(window_);
    }

    COLORREF pixel(int x, int y) {
        HDC dc = GetDC(window_);
        const COLORREF color = GetPixel(dc, x, y);
        ReleaseDC(window_, dc);
        return color;
    }

    EditorState state_;
    HWND window_ = nullptr;
    std::string shownStatus_;  // a status text of the test's own, kept for as long as the window
};

int modeOf(const EditorState& state) {
    return static_cast<int>(state.editMode);
}

TEST_F(MainWindow, GreetsAndLoadsTheFigureFile) {
    writeFigureFile("PUNKTY 2\n\n100 100\n300 100\n\nLINIE 1\n\n1 2\n");
    open();
    ASSERT_EQ(1u, catcher_.boxes().size());
    EXPECT_EQ(greeting, catcher_.boxes()[0].text);
    EXPECT_EQ(wide(user_texts::greetingCaption), catcher_.boxes()[0].caption);
    EXPECT_EQ(window_, catcher_.boxes()[0].owner);
    EXPECT_FALSE(catcher_.boxes()[0].errorIcon);
    EXPECT_EQ(testing_support::figureOf({100, 100, 300, 100}, {100, 100, 300, 100}),
              state_.document.figure());
    EXPECT_EQ(0, modeOf(state_));
    EXPECT_STREQ("", state_.statusText);
}

TEST_F(MainWindow, WithoutAFileStartsEmptyAndCreatesItAtClose) {
    std::filesystem::create_directories(folder_ / "Dane");
    open();
    ASSERT_EQ(2u, catcher_.boxes().size());
    EXPECT_EQ(greeting, catcher_.boxes()[0].text);
    EXPECT_EQ(loadFailure, catcher_.boxes()[1].text);
    EXPECT_EQ(wide(user_texts::loadFailureCaption), catcher_.boxes()[1].caption);
    EXPECT_EQ(window_, catcher_.boxes()[1].owner);
    EXPECT_TRUE(state_.document.figure().points.empty());
    catcher_.forget();
    EXPECT_EQ(0u, close());
    EXPECT_TRUE(catcher_.boxes().empty());
    EXPECT_EQ("PUNKTY 0\r\n\r\n\r\nLINIE 0\r\n\r\n", figureFileBytes());
}

TEST_F(MainWindow, AFailedSaveAtCloseLetsTheUserTryAgainGoBackOrCloseWithoutSaving) {
    open();  // no Dane folder: nothing can be saved
    command(100);
    click(50, 60);
    catcher_.forget();
    catcher_.answerWith({IDTRYAGAIN, IDCANCEL});
    SendMessageA(window_, WM_CLOSE, 0, 0);
    ASSERT_EQ(2u, catcher_.boxes().size()) << "try again fails again; cancel goes back";
    const SeenBox& box = catcher_.boxes()[0];
    EXPECT_EQ(wide(user_texts::saveFailureChoices), box.text);
    EXPECT_EQ(wide(user_texts::saveFailureCaption), box.caption);
    EXPECT_EQ(window_, box.owner);
    EXPECT_TRUE(box.errorIcon);
    EXPECT_EQ((std::vector<int>{IDCANCEL, IDTRYAGAIN, IDCONTINUE}), box.buttons);
    EXPECT_EQ(IDTRYAGAIN, box.focusedButton) << "Enter tries again";
    ASSERT_TRUE(IsWindow(window_));
    EXPECT_EQ(1u, state_.document.figure().points.size()) << "the figure is kept";

    catcher_.forget();
    catcher_.answerWith({IDCONTINUE});
    EXPECT_EQ(0u, close());
    EXPECT_EQ(1u, catcher_.boxes().size()) << "closed without saving, and the destroy saves nothing more";
    EXPECT_FALSE(figureFileExists());
}

TEST_F(MainWindow, AFailedSaveWithNothingEditedClosesWithoutABox) {
    open();  // no Dane folder, and nothing is edited
    catcher_.forget();
    EXPECT_EQ(0u, close());
    EXPECT_TRUE(catcher_.boxes().empty());
}

TEST_F(MainWindow, AWindowDestroyedWithoutACloseReportsAFailedSaveInABoxOfItsOwn) {
    open();  // no Dane folder: nothing can be saved
    command(100);
    click(50, 60);
    catcher_.forget();
    DestroyWindow(window_);
    window_ = nullptr;
    ASSERT_EQ(1u, catcher_.boxes().size());
    const SeenBox& box = catcher_.boxes()[0];
    EXPECT_EQ(wide(user_texts::saveFailure), box.text);
    EXPECT_EQ(wide(user_texts::saveFailureCaption), box.caption);
    EXPECT_EQ(nullptr, box.owner) << "the window is going away";
    EXPECT_TRUE(box.errorIcon);
    EXPECT_EQ(std::vector<int>{IDOK}, box.buttons);
    WPARAM code = 12345;
    EXPECT_TRUE(takeQuit(code));
    EXPECT_EQ(0u, code);
}

// The session ends (WM_ENDSESSION with TRUE): the figure is saved without a
// question, and not again at the close. Another program cancelled the
// log-off (FALSE): nothing is saved then, and the editor goes on as it was,
// its later edits saved at the close.
TEST_F(MainWindow, TheSessionsEndSavesOnceAndACancelledEndChangesNothing) {
    const std::string original = "PUNKTY 1\n\n100 100\n\nLINIE 0\n";
    for (const bool ending : {true, false}) {
        SCOPED_TRACE(ending ? "the session ends" : "the end was cancelled");
        state_ = EditorState{};
        writeFigureFile(original);
        open();
        command(100);
        click(200, 300);
        catcher_.forget();
        EXPECT_NE(0, SendMessageA(window_, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
        SendMessageA(window_, WM_ENDSESSION, ending, ENDSESSION_LOGOFF);
        if (ending) {
            EXPECT_EQ("PUNKTY 2\r\n\r\n100 100\r\n200 300\r\n\r\nLINIE 0\r\n\r\n", figureFileBytes());
            std::filesystem::remove(folder_ / "Dane" / "obiekt.obj");
            EXPECT_EQ(0u, close());
            EXPECT_FALSE(figureFileExists()) << "saved once: not again at the close";
        } else {
            EXPECT_EQ(original, figureFileBytes());
            EXPECT_EQ(windows1250(user_texts::pointAdded), state_.statusText);
            command(100);
            click(250, 350);
            EXPECT_EQ(0u, close());
            EXPECT_EQ("PUNKTY 3\r\n\r\n100 100\r\n200 300\r\n250 350\r\n\r\nLINIE 0\r\n\r\n",
                      figureFileBytes());
        }
        EXPECT_TRUE(catcher_.boxes().empty());
    }
}

// Nobody is there to choose at the session's end: a save that fails then is
// not tried again, and the close after it asks nothing.
TEST_F(MainWindow, ASaveThatFailsAtTheSessionsEndIsNotTriedAgain) {
    open();  // no Dane folder: nothing can be saved
    command(100);
    click(50, 60);
    catcher_.forget();
    SendMessageA(window_, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(0u, close());
    EXPECT_TRUE(catcher_.boxes().empty());
    EXPECT_FALSE(figureFileExists());
}

// Presses the keys in order and lets them go in reverse, as real input.
void pressChord(std::initializer_list<WORD> keys) {
    std::vector<INPUT> inputs;
    for (bool up : {false, true}) {
        for (size_t k = 0; k < keys.size(); ++k) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = up ? keys.begin()[keys.size() - 1 - k] : keys.begin()[k];
            input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
            inputs.push_back(input);
        }
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// The keys as the program's own loop takes them, with the focus on a button:
// undo and redo; Esc from each mode that waits, the red highlight gone and
// the release of a press held through it doing nothing; Esc in the idle mode,
// which says nothing and repaints nothing. After each, a click on empty
// canvas changes nothing: the operation is gone.
TEST_F(MainWindow, TheKeysWorkWithTheFocusOnAButton) {
    writeFigureFile("PUNKTY 2\n\n100 300\n500 300\n\nLINIE 1\n\n1 2\n");
    open();
    HACCEL keys = createEditKeys();
    ASSERT_NE(nullptr, keys);
    // Runs the loop until the chord's last release, that of its first key, is taken.
    const auto pressKeys = [&](std::initializer_list<WORD> chord) {
        pressChord(chord);
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < 5000) {
            MSG message;
            if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
                continue;
            }
            dispatchMessageWithKeys(window_, keys, message);
            if (message.message == WM_KEYUP && message.wParam == *chord.begin()) {
                return true;
            }
        }
        return false;
    };
    const auto redPixels = [&] {
        RECT client;
        GetClientRect(window_, &client);
        HDC dc = GetDC(window_);
        const std::vector<uint32_t> shown = patchOf(dc, 0, 30, client.right, client.bottom - 30);
        ReleaseDC(window_, dc);
        return std::count(shown.begin(), shown.end(), 0xFF0000u);
    };
    const POINT a{100, 300}, c{200, 400}, onAB{300, 303};
    const Figure before = state_.document.figure();
    command(100);
    click(c.x, c.y);
    const Figure after = state_.document.figure();
    ASSERT_TRUE(SetForegroundWindow(window_));
    SetFocus(GetDlgItem(window_, 100));  // as after a click on "wstaw punkt"
    enum class Pick { none, released, held };
    struct Row {
        const char* name;
        std::initializer_list<WORD> chord;
        std::string_view says;  // empty: the status stays as it was
        const Figure& figure;
        // What the user did before the keys: a command, a press on C, a hover.
        int command = 0;
        Pick pick = Pick::none;
        std::optional<POINT> hover = std::nullopt;  // something shows red there
    };
    const WORD esc = VK_ESCAPE;
    const std::string_view cancelled = user_texts::cancelled;
    const Row rows[] = {
        {"undo", {VK_CONTROL, 'Z'}, user_texts::undonePointAdded, before},
        {"redo", {VK_CONTROL, 'Y'}, user_texts::redonePointAdded, after},
        {"undo again", {VK_CONTROL, 'Z'}, user_texts::undonePointAdded, before},
        {"redo with shift", {VK_CONTROL, VK_SHIFT, 'Z'}, user_texts::redonePointAdded, after},
        {"nothing to redo", {VK_CONTROL, VK_SHIFT, 'Z'}, user_texts::nothingToRedo, after},
        {"save", {VK_CONTROL, 'S'}, user_texts::figureSaved, after},
        {"nothing to save", {VK_CONTROL, 'S'}, user_texts::nothingToSave, after},
        {"the place of a new point", {esc}, cancelled, after, 100},
        {"a point to delete, C ringed", {esc}, cancelled, after, 101, Pick::none, c},
        {"the point to move, C ringed", {esc}, cancelled, after, 102, Pick::none, c},
        {"C picked for a move, the press held", {esc}, cancelled, after, 102, Pick::held},
        {"the destination of C", {esc}, cancelled, after, 102, Pick::released},
        {"a line's first point, C ringed", {esc}, cancelled, after, 103, Pick::none, c},
        {"C picked for a line, the press held", {esc}, cancelled, after, 103, Pick::held},
        {"the second point, A ringed", {esc}, cancelled, after, 103, Pick::released, a},
        {"the line to delete, AB red and recorded", {esc}, cancelled, after, 104, Pick::none, onAB},
        {"nothing to call off", {esc}, {}, after},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.command != 0) {
            command(row.command);
        }
        if (row.pick != Pick::none) {
            press(c.x, c.y);
        }
        if (row.pick == Pick::released) {
            release(c.x, c.y);
        }
        if (row.hover) {
            hover(row.hover->x, row.hover->y);
        }
        paintPending();
        EXPECT_EQ(row.hover.has_value(), redPixels() > 0);
        EXPECT_EQ(state_.editMode == EditMode::deleteLine, state_.recordedLine.has_value());
        const std::string status = row.says.empty() ? state_.statusText : windows1250(row.says);
        ASSERT_TRUE(pressKeys(row.chord));
        EXPECT_EQ(0, modeOf(state_));
        EXPECT_EQ(status, state_.statusText);
        EXPECT_EQ(row.figure, state_.document.figure());
        EXPECT_FALSE(state_.recordedLine) << "nothing for a delete-line press";
        EXPECT_EQ(GetDlgItem(window_, 100), GetFocus());
        if (row.says.empty()) {
            EXPECT_FALSE(repaintPending());
        }
        paintPending();
        EXPECT_EQ(0, redPixels());
        release(c.x, c.y);
        EXPECT_EQ(0, modeOf(state_)) << "the release of a held press arms nothing";
        click(600, 450);
        EXPECT_EQ(row.figure, state_.document.figure());
        EXPECT_EQ(status, state_.statusText);
    }
    DestroyAcceleratorTable(keys);
}

TEST_F(MainWindow, AnUnreadableFileIsKeptWhenNothingWasEdited) {
    const std::string original = "PUNKTY -3\r\n1 2\r\n";
    writeFigureFile(original);
    open();
    ASSERT_EQ(2u, catcher_.boxes().size());
    EXPECT_EQ(loadFailure, catcher_.boxes()[1].text);
    command(102);
    click(1, 2);  // nothing to pick
    catcher_.forget();
    EXPECT_EQ(0u, close());
    EXPECT_TRUE(catcher_.boxes().empty());
    EXPECT_EQ(original, figureFileBytes());
}

TEST_F(MainWindow, IsAFixedWindowOfItsOwnClass) {
    open();
    char className[32] = {};
    GetClassNameA(window_, className, sizeof className);
    EXPECT_STREQ("Figury", className);
    char caption[64] = {};
    GetWindowTextA(window_, caption, sizeof caption);
    EXPECT_EQ(windows1250(user_texts::title), caption);
    RECT frame;
    GetWindowRect(window_, &frame);
    EXPECT_EQ(800, frame.right - frame.left);
    EXPECT_EQ(600, frame.bottom - frame.top);
    const auto style = static_cast<DWORD>(GetWindowLongA(window_, GWL_STYLE));
    EXPECT_EQ(static_cast<DWORD>(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX),
              style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX));
    EXPECT_EQ(0u, style & (WS_THICKFRAME | WS_MAXIMIZEBOX));
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(GetStockObject(WHITE_BRUSH)),
              GetClassLongPtrA(window_, GCLP_HBRBACKGROUND));
}

TEST_F(MainWindow, HasTheCommandButtonsBetweenTwoBlankEnds) {
    open();
    struct Expected {
        int x, width;
        std::wstring text;
        int id;
        bool enabled;
    };
    std::vector<Expected> expected = {{0, 150, L"", 0, false}};
    for (size_t k = 0; k < commandButtons.size(); ++k) {
        const CommandButton& command = commandButtons[k];
        expected.push_back(
            {command.x, 100, wide(user_texts::buttonLabels[k]), static_cast<int>(command.id), true});
    }
    expected.push_back({650, 150, L"", 0, false});
    std::vector<HWND> buttons;
    for (HWND child = GetWindow(window_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        buttons.push_back(child);
    }
    ASSERT_EQ(expected.size(), buttons.size());
    for (const Expected& want : expected) {
        SCOPED_TRACE(want.x);
        HWND found = nullptr;
        RECT place = {};
        for (HWND button : buttons) {
            GetWindowRect(button, &place);
            MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&place), 2);
            if (place.left == want.x) {
                found = button;
                break;
            }
        }
        ASSERT_NE(nullptr, found);
        EXPECT_EQ(0, place.top);
        EXPECT_EQ(want.width, place.right - place.left);
        EXPECT_EQ(30, place.bottom - place.top);
        wchar_t text[64] = {};
        GetWindowTextW(found, text, static_cast<int>(std::size(text)));
        EXPECT_EQ(want.text, text);
        EXPECT_EQ(want.id, GetDlgCtrlID(found));
        EXPECT_EQ(want.enabled, IsWindowEnabled(found) != FALSE);
        char className[32] = {};
        GetClassNameA(found, className, sizeof className);
        EXPECT_STRCASEEQ("button", className);
        const auto style = static_cast<DWORD>(GetWindowLongA(found, GWL_STYLE));
        EXPECT_EQ(want.enabled ? 0x50000000u : 0x58000000u, style);
    }
    // Made by Common Controls 6, which the suite, as the program, asks for in
    // its manifest: nothing else here loads that library.
    char library[MAX_PATH] = {};
    GetModuleFileNameA(GetModuleHandleA("comctl32.dll"), library, sizeof library);
    EXPECT_NE(nullptr,
              std::strstr(CharLowerA(library), "microsoft.windows.common-controls_6595b64144ccf1df_6."))
        << library;
}

TEST_F(MainWindow, AButtonClickCommandsTheEditor) {
    open();
    settle();
    SendMessageA(GetDlgItem(window_, 101), BM_CLICK, 0, 0);
    EXPECT_EQ(2, modeOf(state_));
    EXPECT_EQ(windows1250(user_texts::promptDeletePoint), state_.statusText);
    EXPECT_TRUE(repaintPending());

    // The blank ends carry identifier 0.
    settle();
    command(0);
    EXPECT_EQ(2, modeOf(state_));
    EXPECT_FALSE(repaintPending());
}

TEST_F(MainWindow, HoverIsRecordedAndRepaintedOnlyWhileAPickIsAwaited) {
    open();
    for (int mode : {0, 1, 2, 3, 4, 5, 6, 7, 8, 10}) {
        SCOPED_TRACE(mode);
        state_.editMode = static_cast<EditMode>(mode);
        state_.hoverX = 1;
        state_.hoverY = 2;
        settle();
        hover(-3, 640);  // left of and below the client area, as during a drag
        const bool awaited = mode == 2 || mode == 3 || mode == 6 || mode == 8 || mode == 10;
        EXPECT_EQ(awaited, repaintPending());
        EXPECT_EQ(awaited ? -3 : 1, state_.hoverX);
        EXPECT_EQ(awaited ? 640 : 2, state_.hoverY);
    }
}

TEST_F(MainWindow, PressesRepaintButReleasesDoNot) {
    open();
    command(102);
    settle();
    press(9, 39);  // missed: mode 3 stays, still repainted
    EXPECT_TRUE(repaintPending());
    EXPECT_EQ(3, modeOf(state_));
    state_.editMode = static_cast<EditMode>(4);
    settle();
    press(9, 39);
    EXPECT_FALSE(repaintPending());
    release(9, 29);  // over the button bar, as over any button: still waiting
    EXPECT_EQ(4, modeOf(state_));
    release(9, 39);
    EXPECT_FALSE(repaintPending());
    EXPECT_EQ(5, modeOf(state_));
    settle();
    press(-5, 700);
    EXPECT_TRUE(repaintPending());
    EXPECT_EQ(0, modeOf(state_));
}

TEST_F(MainWindow, EveryOperationWorksAndTheResultIsSaved) {
    writeFigureFile("PUNKTY 2\n\n100 100\n300 100\n\nLINIE 0\n");
    open();

    command(100);
    click(200, 300);
    EXPECT_EQ(windows1250(user_texts::pointAdded), state_.statusText);

    command(103);
    click(101, 99);
    EXPECT_EQ(windows1250(user_texts::promptLineSecond), state_.statusText);
    click(300, 100);
    EXPECT_EQ(windows1250(user_texts::lineInserted), state_.statusText);

    command(102);
    click(200, 300);
    EXPECT_EQ(windows1250(user_texts::promptMoveDestination), state_.statusText);
    click(200, 250);
    EXPECT_EQ(windows1250(user_texts::pointMoved), state_.statusText);

    command(103);
    click(300, 100);
    click(200, 250);
    EXPECT_EQ((std::vector<Line>{{{100, 100}, {300, 100}}, {{300, 100}, {200, 250}}}),
              state_.document.figure().lines);

    // The highlight of a paint picks the line; the press deletes it even after the pointer left.
    command(104);
    hover(200, 103);
    paintPending();
    EXPECT_EQ(0u, state_.recordedLine);
    hover(600, 500);
    paintPending();
    press(600, 500);
    EXPECT_EQ(windows1250(user_texts::lineDeleted), state_.statusText);
    EXPECT_EQ((std::vector<Line>{{{300, 100}, {200, 250}}}), state_.document.figure().lines);

    command(101);
    click(303, 104);
    EXPECT_EQ(windows1250(user_texts::pointDeleted), state_.statusText);
    EXPECT_EQ(0, modeOf(state_));

    EXPECT_EQ(0u, close());
    EXPECT_EQ("PUNKTY 2\r\n\r\n100 100\r\n200 250\r\n\r\nLINIE 0\r\n\r\n", figureFileBytes());
}

TEST_F(MainWindow, AnEmptyPaintLeavesTheClientAreaWhite) {
    open();
    repaint();
    RECT client;
    GetClientRect(window_, &client);
    for (int y = 31; y < client.bottom; y += 23) {
        for (int x = 0; x < client.right; x += 29) {
            ASSERT_EQ(white, pixel(x, y)) << x << "," << y;
        }
    }
}

TEST_F(MainWindow, PointsUnderThePointerGetARedRing) {
    open();
    state_.document.replace(testing_support::figureOf({200, 200}));
    struct Row {
        int mode;
        int hoverX;
        bool ringed;
    };
    const Row rows[] = {{2, 205, true}, {2, 206, false}, {3, 195, true},  {6, 200, true},
                        {8, 204, true}, {1, 200, false}, {5, 200, false}, {0, 200, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.mode) + " at " + std::to_string(row.hoverX));
        state_.editMode = static_cast<EditMode>(row.mode);
        state_.hoverX = row.hoverX;
        state_.hoverY = 200;
        repaint();
        EXPECT_EQ(row.ringed ? red : white, pixel(195, 200));
        EXPECT_EQ(row.ringed ? red : white, pixel(200, 195));
        // The ring's white fill hides the point's own mark.
        EXPECT_EQ(row.ringed ? white : black, pixel(198, 200));
    }
}

TEST_F(MainWindow, TheLineNearThePointerIsDrawnThickAndRed) {
    open();
    state_.document.replace(testing_support::figureOf({100, 300, 500, 300}, {100, 300, 500, 300}));
    command(104);
    hover(300, 305);
    paintPending();
    for (int y : {299, 300, 301}) {
        EXPECT_EQ(red, pixel(300, y)) << y;
    }
    EXPECT_EQ(white, pixel(300, 303));
    EXPECT_EQ(0u, state_.recordedLine);

    command(100);
    paintPending();
    EXPECT_EQ(black, pixel(300, 300));
    EXPECT_EQ(white, pixel(300, 299));
}

TEST_F(MainWindow, TheFirstPaintInDeleteLineModeHighlightsAtTheHoverLeftFromBefore) {
    open();
    // No move over the figure yet: the hover position is still (0, 0).
    state_.document.replace(testing_support::figureOf({}, {300, 300, 400, 300, -50, 5, 50, 5}));
    command(104);
    paintPending();
    EXPECT_EQ(1u, state_.recordedLine);
    press(600, 500);
    EXPECT_EQ((std::vector<Line>{{{300, 300}, {400, 300}}}), state_.document.figure().lines);
}

TEST_F(MainWindow, TheStatusTextCoversALineBeneathIt) {
    std::filesystem::create_directories(folder_ / "Dane");  // a journal, so no status at the start
    open();
    state_.document.replace(testing_support::figureOf({0, 42, 790, 42}, {0, 42, 790, 42}));
    repaint();
    const auto whiteOnRow = [this] {
        int count = 0;
        for (int x = 12; x < 200; ++x) {
            count += pixel(x, 42) == white;
        }
        return count;
    };
    EXPECT_EQ(0, whiteOnRow());
    command(100);
    paintPending();
    EXPECT_GT(whiteOnRow(), 0);
    EXPECT_EQ(black, pixel(700, 42));
}

// The status line is drawn as the same words drawn from Unicode, and nothing
// follows them up to the window's edge.
TEST_F(MainWindow, EveryStatusMessageShowsItsPolishLetters) {
    open();
    RECT client;
    GetClientRect(window_, &client);
    const int x = 10;
    const int y = 35;
    const int width = client.right - x;
    for (std::string_view message : user_texts::statusMessages) {
        SCOPED_TRACE(std::string(message));
        shownStatus_ = windows1250(message);
        state_.statusText = shownStatus_.c_str();
        repaint();
        HDC screen = GetDC(window_);
        const TextStrip expected = drawnFromUnicode(screen, wide(message), width);
        const std::vector<uint32_t> shown = patchOf(screen, x, y, width, expected.height);
        ReleaseDC(window_, screen);
        ASSERT_GT(expected.height, 0);
        EXPECT_TRUE(expected.pixels == shown);
    }
}

// What a driver from outside asks the window (editor/win32/input_state.h).
TEST_F(MainWindow, TellsADriverTheInputItTookAndWhetherAPaintIsDue) {
    open();
    const UINT question = RegisterWindowMessageA(inputStateMessageName);
    const auto ask = [&] { return unpackInputState(SendMessageA(window_, question, 0, 0)); };
    takeMessages();  // the buttons' first paints
    const InputState before = ask();
    ASSERT_TRUE(before.answered);
    EXPECT_FALSE(before.paintDue);
    InvalidateRect(window_, nullptr, FALSE);
    EXPECT_TRUE(ask().paintDue);
    UpdateWindow(window_);
    const InputState painted = ask();
    EXPECT_FALSE(painted.paintDue);
    EXPECT_EQ((before.paints + 1) & 0x1FFF, painted.paints);

    // Numbered 65535 and 0, as the numbers wrap; a message posted after them
    // leaves the last one known.
    ASSERT_TRUE(SetForegroundWindow(window_));
    INPUT shift[2] = {};
    for (int k = 0; k < 2; ++k) {
        shift[k].type = INPUT_KEYBOARD;
        shift[k].ki.wVk = VK_SHIFT;
        shift[k].ki.dwFlags = k == 0 ? 0 : KEYEVENTF_KEYUP;
        shift[k].ki.dwExtraInfo = inputTag(static_cast<uint16_t>(65535 + k));
    }
    ASSERT_EQ(2u, SendInput(2, shift, sizeof(INPUT)));
    takeMessages();
    PostMessageA(window_, WM_NULL, 0, 0);
    takeMessages();
    const InputState taken = ask();
    EXPECT_TRUE(hasTaken(taken, 0));
    EXPECT_TRUE(hasTaken(taken, 65535));
    EXPECT_FALSE(hasTaken(taken, 1));
    EXPECT_FALSE(hasTaken(before, 0)) << "nothing was taken before";
}

// The session's journal, beside the figure file and named from it.
class SessionJournalWindow : public MainWindow {
protected:
    std::filesystem::path journalPath(int copy = 1) const {
        const std::string name =
            copy == 1 ? "obiekt.obj.journal" : "obiekt.obj.journal." + std::to_string(copy);
        return folder_ / "Dane" / name;
    }
    // The journal as another process reads it while the editor holds it.
    JournalContents readJournalAt(const std::filesystem::path& path) {
        const std::string bytes = testing_support::readBytes(path);
        return readJournal(bytes.data(), bytes.size());
    }
    std::vector<std::string> folderNames() {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder_ / "Dane")) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    // What a session that crashed leaves: a journal started from the figure
    // file's bytes, then points added at each place, the last undone when asked.
    void leaveJournal(const std::vector<POINT>& added, bool undoLast) {
        const std::string bytes = figureFileBytes();
        WindowsJournalFile file;
        ASSERT_EQ(WindowsJournalFile::Opening::opened, file.create(journalPath().string()));
        SessionJournal journal(file);
        Figure figure;
        ASSERT_TRUE(loadFigureFromBytes(figure, bytes.data(), bytes.size()));
        FigureDocument document(figure);
        journal.start(std::vector<char>(bytes.begin(), bytes.end()), JournalBaseOrigin::figureFile);
        document.setStepListener(journal.listener());
        for (const POINT& point : added) {
            document.edit(EditKind::pointAdded, [&point](Figure& into, FigureEdit& edit) {
                addPoint(into, point.x, point.y, &edit);
                return true;
            });
        }
        if (undoLast) {
            document.undo();
        }
        ASSERT_TRUE(journal.active());
        file.close();
    }
    const std::string start_ = "PUNKTY 1\r\n\r\n100 100\r\n\r\nLINIE 0\r\n\r\n";
};

// From the start every step is in the journal, which only this session may
// write or delete; the close that saves takes it away, leaving the figure's
// folder as it was.
TEST_F(SessionJournalWindow, HoldsEveryStepAndGoesWithTheClose) {
    writeFigureFile(start_);
    open();
    ASSERT_TRUE(std::filesystem::exists(journalPath()));
    EXPECT_NE(0u, GetFileAttributesA(journalPath().string().c_str()) & FILE_ATTRIBUTE_HIDDEN);
    command(100);
    click(200, 300);
    command(110);
    command(111);
    const JournalContents contents = readJournalAt(journalPath());
    ASSERT_TRUE(contents.readable());
    EXPECT_EQ(start_, std::string(contents.base.begin(), contents.base.end()));
    ASSERT_EQ(3u, contents.steps.size());
    EXPECT_EQ(JournalStepKind::edit, contents.steps[0].kind);
    EXPECT_EQ(JournalStepKind::undo, contents.steps[1].kind);
    EXPECT_EQ(JournalStepKind::redo, contents.steps[2].kind);
    EXPECT_FALSE(DeleteFileA(journalPath().string().c_str()));
    EXPECT_EQ(0u, close());
    EXPECT_EQ(std::vector<std::string>{"obiekt.obj"}, folderNames());
}

// A journal left behind with steps: Tak (the default) brings back the figure
// of that session, its steps undoable one by one, and the close saves it;
// Nie starts from the file and drops the journal.
TEST_F(SessionJournalWindow, ALostSessionIsRecoveredOrDroppedAtTheUsersWord) {
    for (const int answer : {IDYES, IDNO}) {
        SCOPED_TRACE(answer == IDYES ? "Tak" : "Nie");
        state_ = EditorState{};
        writeFigureFile(start_);
        leaveJournal({{200, 300}, {250, 350}, {300, 400}}, true);
        catcher_.forget();
        catcher_.answerWith({IDOK, answer});
        open();
        ASSERT_EQ(2u, catcher_.boxes().size());
        const SeenBox& box = catcher_.boxes()[1];
        EXPECT_EQ(wide(user_texts::recovery(4)), box.text);
        EXPECT_EQ(wide(user_texts::recoveryCaption), box.caption);
        EXPECT_EQ(window_, box.owner);
        EXPECT_EQ((std::vector<int>{IDYES, IDNO}), box.buttons);
        EXPECT_EQ(IDYES, box.focusedButton) << "Enter recovers";
        if (answer == IDYES) {
            EXPECT_EQ(testing_support::figureOf({100, 100, 200, 300, 250, 350}), state_.document.figure());
            EXPECT_EQ(windows1250(user_texts::recovered), state_.statusText);
            // Recorded anew: a crash now would give back the same steps.
            EXPECT_EQ(4u, readJournalAt(journalPath()).steps.size());
            command(110);
            command(110);
            EXPECT_EQ(testing_support::figureOf({100, 100}), state_.document.figure());
            EXPECT_EQ(6u, readJournalAt(journalPath()).steps.size());
            command(111);
            command(111);
            EXPECT_EQ(0u, close());
            EXPECT_EQ("PUNKTY 3\r\n\r\n100 100\r\n200 300\r\n250 350\r\n\r\nLINIE 0\r\n\r\n",
                      figureFileBytes());
        } else {
            EXPECT_EQ(testing_support::figureOf({100, 100}), state_.document.figure());
            EXPECT_EQ(0u, readJournalAt(journalPath()).steps.size());
            EXPECT_EQ(0u, close());
            EXPECT_EQ(start_, figureFileBytes());
        }
        EXPECT_EQ(std::vector<std::string>{"obiekt.obj"}, folderNames());
    }
}

// Another program saved the file after the lost session loaded it: the
// recovery gives that session's figure, not its steps on the other file, and
// the close asks before it replaces the other file.
TEST_F(SessionJournalWindow, ARecoveryOverAFileChangedSinceAsksBeforeReplacingIt) {
    writeFigureFile(start_);
    leaveJournal({{200, 300}}, false);
    const std::string theirs = "PUNKTY 1\r\n\r\n7 7\r\n\r\nLINIE 0\r\n\r\n";
    writeFigureFile(theirs);
    catcher_.answerWith({IDOK, IDYES});
    open();
    EXPECT_EQ(testing_support::figureOf({100, 100, 200, 300}), state_.document.figure());
    catcher_.forget();
    catcher_.answerWith({IDNO});
    EXPECT_EQ(0u, close());
    ASSERT_EQ(1u, catcher_.boxes().size());
    EXPECT_EQ(wide(user_texts::changedFile), catcher_.boxes()[0].text);
    EXPECT_EQ(theirs, figureFileBytes());
    EXPECT_EQ(std::vector<std::string>{"obiekt.obj"}, folderNames());
}

// A file the edits would replace unseen: one another program wrote while
// the editor was open (in as many bytes, its time put back, so only its
// bytes tell), or one the load could not read. Ctrl+S asks and No goes back;
// the close asks, Cancel and Esc go back, No keeps the file, Yes writes over
// it. At the session's end nobody can answer: the file stays as it is, and
// so does the journal, for the next start to offer the edits back.
TEST_F(SessionJournalWindow, AFileTheEditsWouldReplaceUnseenIsReplacedOnlyWhenTheUserSaysSo) {
    const std::string ours = "PUNKTY 1\n\n100 100\n\nLINIE 0\n";
    const std::string theirs = "PUNKTY 1\n\n700 700\n\nLINIE 0\n";
    const std::string unread = "  PUNKTY 1\r\n\r\n7 7\r\n";
    const auto path = folder_ / "Dane" / "obiekt.obj";
    constexpr int sessionEnds = 0;
    for (const bool changed : {true, false}) {
        for (const int answer : {IDNO, IDYES, sessionEnds}) {
            SCOPED_TRACE(std::string(changed ? "changed" : "unread") + (answer == IDNO ? ", no"
                                                                        : answer == IDYES
                                                                            ? ", yes"
                                                                            : ", the session ends"));
            state_ = EditorState{};
            writeFigureFile(changed ? ours : unread);
            open();
            command(100);
            click(200, 300);
            if (changed) {
                const auto loadedTime = std::filesystem::last_write_time(path);
                writeFigureFile(theirs);
                std::filesystem::last_write_time(path, loadedTime);
            }
            const std::string kept = changed ? theirs : unread;
            catcher_.forget();
            // Nobody answers at the session's end: no answer is left for the next boxes.
            catcher_.answerWith(answer == sessionEnds ? std::vector<int>{IDNO}
                                                      : std::vector<int>{IDNO, IDCANCEL, answer});
            command(113);
            ASSERT_EQ(1u, catcher_.boxes().size());
            EXPECT_EQ(wide(changed ? user_texts::saveNowChangedFile : user_texts::saveNowUnreadFile),
                      catcher_.boxes()[0].text);
            EXPECT_EQ(kept, figureFileBytes());
            if (answer == sessionEnds) {
                SendMessageA(window_, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
                EXPECT_EQ(0u, close());
                EXPECT_EQ(1u, catcher_.boxes().size());
                EXPECT_EQ(kept, figureFileBytes());
                EXPECT_EQ(1u, readJournalAt(journalPath()).steps.size());
                std::filesystem::remove(journalPath());
                continue;
            }
            SendMessageA(window_, WM_CLOSE, 0, 0);
            ASSERT_EQ(2u, catcher_.boxes().size());
            const SeenBox& box = catcher_.boxes()[1];
            EXPECT_EQ(wide(changed ? user_texts::changedFile : user_texts::unreadFile), box.text);
            EXPECT_EQ(wide(changed ? user_texts::changedFileCaption : user_texts::unreadFileCaption),
                      box.caption);
            EXPECT_EQ(catcher_.boxes()[0].caption, box.caption);
            EXPECT_EQ(window_, box.owner);
            EXPECT_EQ((std::vector<int>{IDYES, IDNO, IDCANCEL}), box.buttons);
            EXPECT_EQ(IDCANCEL, box.focusedButton) << "Enter goes back";
            ASSERT_TRUE(IsWindow(window_)) << "cancel goes back to the editor";
            EXPECT_EQ(kept, figureFileBytes());
            EXPECT_EQ(0u, close());
            EXPECT_EQ(3u, catcher_.boxes().size());
            EXPECT_EQ(answer == IDNO ? kept
                      : changed      ? "PUNKTY 2\r\n\r\n100 100\r\n200 300\r\n\r\nLINIE 0\r\n\r\n"
                                     : "PUNKTY 1\r\n\r\n200 300\r\n\r\nLINIE 0\r\n\r\n",
                      figureFileBytes());
        }
    }
}

// A journal that cannot be read never stops the start nor touches the file:
// it is set aside under a name that says so and the status line tells.
TEST_F(SessionJournalWindow, AnUnreadableJournalIsSetAsideAndTheFileKept) {
    enum Kind { shortHeader, foreign, folder };
    for (const Kind kind : {shortHeader, foreign, folder}) {
        SCOPED_TRACE(kind == shortHeader ? "a short header" : kind == foreign ? "foreign bytes" : "a folder");
        state_ = EditorState{};
        std::filesystem::remove_all(folder_ / "Dane");
        writeFigureFile(start_);
        if (kind == folder) {
            std::filesystem::create_directories(journalPath());
        } else {
            testing_support::writeBytes(journalPath(),
                                        kind == shortHeader ? "FIGJOU" : std::string(200, 'x'));
        }
        catcher_.forget();
        open();
        EXPECT_EQ(1u, catcher_.boxes().size()) << "the greeting only";
        EXPECT_EQ(windows1250(user_texts::journalSetAside), state_.statusText);
        EXPECT_EQ(testing_support::figureOf({100, 100}), state_.document.figure());
        EXPECT_TRUE(std::filesystem::exists(journalPath().string() + ".uszkodzony"));
        EXPECT_EQ(0u, readJournalAt(journalPath()).steps.size()) << "a journal of this session's own";
        EXPECT_EQ(0u, close());
        EXPECT_EQ(start_, figureFileBytes());
        EXPECT_EQ((std::vector<std::string>{"obiekt.obj", "obiekt.obj.journal.uszkodzony"}), folderNames());
    }
}

// A second copy on a live session: it is told, leaves the live journal as it
// is and keeps a journal of its own under the next name.
TEST_F(SessionJournalWindow, ASecondCopyLeavesALiveJournalAloneAndKeepsItsOwn) {
    writeFigureFile(start_);
    WindowsJournalFile live;
    ASSERT_EQ(WindowsJournalFile::Opening::opened, live.create(journalPath().string()));
    ASSERT_TRUE(live.begin({'l', 'i'}, {'v', 'e'}));
    catcher_.forget();
    open();
    ASSERT_EQ(2u, catcher_.boxes().size());
    EXPECT_EQ(wide(user_texts::otherCopy), catcher_.boxes()[1].text);
    EXPECT_EQ(wide(user_texts::otherCopyCaption), catcher_.boxes()[1].caption);
    EXPECT_EQ(std::vector<int>{IDOK}, catcher_.boxes()[1].buttons);
    command(100);
    click(200, 300);
    EXPECT_EQ(1u, readJournalAt(journalPath(2)).steps.size());
    EXPECT_EQ(0u, close());
    EXPECT_EQ("live", testing_support::readBytes(journalPath()));
    EXPECT_FALSE(std::filesystem::exists(journalPath(2)));
    live.remove();
}

// Ctrl+S: nothing edited writes nothing; edits are saved, the journal
// starting afresh from what was written; a file another program wrote is
// replaced only on Tak; a failure may be tried again or left, the editor open.
TEST_F(SessionJournalWindow, CtrlSSavesNowAndTheJournalStartsAfresh) {
    writeFigureFile(start_);
    open();
    command(113);
    EXPECT_EQ(windows1250(user_texts::nothingToSave), state_.statusText);
    command(100);
    click(200, 300);
    catcher_.forget();
    command(113);
    EXPECT_TRUE(catcher_.boxes().empty());
    EXPECT_EQ(windows1250(user_texts::figureSaved), state_.statusText);
    EXPECT_FALSE(state_.document.edited());
    const std::string saved = "PUNKTY 2\r\n\r\n100 100\r\n200 300\r\n\r\nLINIE 0\r\n\r\n";
    EXPECT_EQ(saved, figureFileBytes());
    JournalContents contents = readJournalAt(journalPath());
    EXPECT_EQ(saved, std::string(contents.base.begin(), contents.base.end()));
    EXPECT_EQ(0u, contents.steps.size());

    command(100);
    click(250, 350);
    const std::string theirs = "PUNKTY 1\r\n\r\n7 7\r\n\r\nLINIE 0\r\n\r\n";
    writeFigureFile(theirs);
    const auto path = folder_ / "Dane" / "obiekt.obj";
    std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + std::chrono::seconds(2));
    catcher_.answerWith({IDNO, IDYES});
    command(113);
    ASSERT_EQ(1u, catcher_.boxes().size());
    EXPECT_EQ(wide(user_texts::saveNowChangedFile), catcher_.boxes()[0].text);
    EXPECT_EQ(wide(user_texts::changedFileCaption), catcher_.boxes()[0].caption);
    EXPECT_EQ((std::vector<int>{IDYES, IDNO}), catcher_.boxes()[0].buttons);
    EXPECT_EQ(IDNO, catcher_.boxes()[0].focusedButton) << "Enter keeps the other file";
    EXPECT_EQ(theirs, figureFileBytes());
    EXPECT_TRUE(state_.document.edited());
    ASSERT_TRUE(IsWindow(window_));
    command(113);
    EXPECT_EQ(2u, catcher_.boxes().size());
    EXPECT_EQ("PUNKTY 3\r\n\r\n100 100\r\n200 300\r\n250 350\r\n\r\nLINIE 0\r\n\r\n", figureFileBytes());

    // The file made read-only: no save can replace it.
    command(100);
    click(300, 400);
    SetFileAttributesA(path.string().c_str(), FILE_ATTRIBUTE_READONLY);
    catcher_.forget();
    catcher_.answerWith({IDRETRY, IDCANCEL});
    command(113);
    ASSERT_EQ(2u, catcher_.boxes().size());
    EXPECT_EQ(wide(user_texts::saveNowFailure), catcher_.boxes()[0].text);
    EXPECT_EQ(wide(user_texts::saveFailureCaption), catcher_.boxes()[0].caption);
    EXPECT_TRUE(catcher_.boxes()[0].errorIcon);
    EXPECT_EQ((std::vector<int>{IDRETRY, IDCANCEL}), catcher_.boxes()[0].buttons);
    ASSERT_TRUE(IsWindow(window_)) << "nothing to close";
    EXPECT_TRUE(state_.document.edited());
    EXPECT_EQ(1u, readJournalAt(journalPath()).steps.size()) << "the edit still kept against a crash";
    SetFileAttributesA(path.string().c_str(), FILE_ATTRIBUTE_NORMAL);
    catcher_.forget();
    EXPECT_EQ(0u, close());
    EXPECT_TRUE(catcher_.boxes().empty());
    EXPECT_EQ(std::vector<std::string>{"obiekt.obj"}, folderNames());
}

// A journal that cannot be written leaves the editing as it was: the status
// line says so once, and the close saves.
TEST_F(SessionJournalWindow, AJournalThatCannotBeWrittenIsToldOnceAndTheCloseStillSaves) {
    writeFigureFile(start_);
    // Every name a journal could take is already a copy's that is running.
    std::vector<std::unique_ptr<WindowsJournalFile>> held;
    for (int copy = 1; copy <= 8; ++copy) {
        held.push_back(std::make_unique<WindowsJournalFile>());
        ASSERT_EQ(WindowsJournalFile::Opening::opened, held.back()->create(journalPath(copy).string()));
    }
    open();
    EXPECT_EQ(windows1250(user_texts::journalFailure), state_.statusText);
    command(100);
    click(200, 300);
    EXPECT_EQ(windows1250(user_texts::pointAdded), state_.statusText) << "told once";
    EXPECT_EQ(0u, close());
    EXPECT_EQ("PUNKTY 2\r\n\r\n100 100\r\n200 300\r\n\r\nLINIE 0\r\n\r\n", figureFileBytes());
    for (auto& journal : held) {
        journal->remove();
    }
}

// A failed save keeps the journal until the user chooses to close without
// it; the session's end saves and removes it as the close does.
TEST_F(SessionJournalWindow, AFailedSaveKeepsTheJournalUntilTheUserLetsItGo) {
    writeFigureFile(start_);
    open();
    command(100);
    click(200, 300);
    const auto path = folder_ / "Dane" / "obiekt.obj";
    SetFileAttributesA(path.string().c_str(), FILE_ATTRIBUTE_READONLY);
    catcher_.forget();
    catcher_.answerWith({IDCANCEL});
    SendMessageA(window_, WM_CLOSE, 0, 0);
    ASSERT_TRUE(IsWindow(window_));
    EXPECT_TRUE(std::filesystem::exists(journalPath()));
    DestroyWindow(window_);  // destroyed anyway: the save fails again
    window_ = nullptr;
    EXPECT_EQ(1u, readJournalAt(journalPath()).steps.size()) << "kept for the next start";
    SetFileAttributesA(path.string().c_str(), FILE_ATTRIBUTE_NORMAL);

    state_ = EditorState{};
    catcher_.forget();
    catcher_.answerWith({IDOK, IDYES});
    open();
    EXPECT_EQ(testing_support::figureOf({100, 100, 200, 300}), state_.document.figure());
    SendMessageA(window_, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ("PUNKTY 2\r\n\r\n100 100\r\n200 300\r\n\r\nLINIE 0\r\n\r\n", figureFileBytes());
    EXPECT_EQ(std::vector<std::string>{"obiekt.obj"}, folderNames());
    EXPECT_EQ(0u, close());
}

}  // namespace

}  // namespace figury
