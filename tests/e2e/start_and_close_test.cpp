// Starting and closing as a person sees it: the boxes, the window and its
// buttons, and what is left in Dane/obiekt.obj afterwards.

#include "e2e_fixture.h"
#include "support/user_texts.h"

namespace e2e {
namespace {

LRESULT hitTest(HWND window, int x, int y) {
    DWORD_PTR result = HTNOWHERE;
    SendMessageTimeoutA(window, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, 2000, &result);
    return static_cast<LRESULT>(result);
}

// Screen x of the first caption pixel, from the right, where the hit test gives code.
int findOnCaption(HWND window, LRESULT code, int* y) {
    RECT frame{};
    GetWindowRect(window, &frame);
    POINT client = clientToScreen(window, 0, 0);
    *y = (frame.top + client.y) / 2;
    for (int x = frame.right - 1; x >= frame.left; --x) {
        if (hitTest(window, x, *y) == code) {
            return x;
        }
    }
    return -1;
}

using StartTest = EditorTest;

TEST_F(StartTest, GreetsThenShowsTheFixedWindowWithItsButtonsAndTheLoadedFigure) {
    writeData(kSquareFile);
    ASSERT_TRUE(session_.start(workDir_));
    HWND greeting = session_.waitBox("dane");
    ASSERT_NE(greeting, nullptr) << "no greeting box";
    EXPECT_EQ(EditorSession::boxText(greeting), cp1250(kTitle));
    HWND owner = GetWindow(greeting, GW_OWNER);
    EXPECT_EQ(className(owner), "Figury") << "the greeting belongs to the main window";
    ASSERT_TRUE(session_.answer(greeting));
    HWND window = session_.waitWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window, owner);
    EXPECT_TRUE(topWindows(session_.process().id(), "#32770").empty()) << "a valid file loads without a box";

    EXPECT_EQ(windowText(window), cp1250(kTitle));
    RECT frame{};
    GetWindowRect(window, &frame);
    EXPECT_EQ(frame.right - frame.left, 800);
    EXPECT_EQ(frame.bottom - frame.top, 600);
    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX), WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    EXPECT_EQ(style & (WS_MAXIMIZEBOX | WS_THICKFRAME), 0);

    // What the frame offers under the pointer: minimise and close, no sizing edge, and a
    // maximise box, if one is drawn at all, that does nothing.
    int y = 0;
    EXPECT_GE(findOnCaption(window, HTCLOSE, &y), 0);
    EXPECT_GE(findOnCaption(window, HTMINBUTTON, &y), 0);
    int maxBox = findOnCaption(window, HTMAXBUTTON, &y);
    if (maxBox >= 0) {
        ASSERT_TRUE(bringToFront(window));
        ASSERT_TRUE(moveMouseTo(maxBox - 2, y));
        leftDown();
        leftUp();
        session_.settled();
        EXPECT_FALSE(IsZoomed(window));
        RECT after{};
        GetWindowRect(window, &after);
        EXPECT_TRUE(EqualRect(&after, &frame)) << "the maximise box changed the window";
    }
    POINT edges[] = {{frame.right - 1, (frame.top + frame.bottom) / 2},
                     {(frame.left + frame.right) / 2, frame.bottom - 1},
                     {frame.left, (frame.top + frame.bottom) / 2},
                     {frame.right - 1, frame.bottom - 1}};
    for (POINT e : edges) {
        LRESULT hit = hitTest(window, e.x, e.y);
        EXPECT_TRUE(hit < HTLEFT || hit > HTBOTTOMRIGHT) << "sizing edge at " << e.x << "," << e.y << ": " << hit;
    }

    struct Expected {
        int x, width;
        std::wstring text;
        int id;
        bool enabled;
    };
    const Expected buttons[] = {
        {0, 150, L"", 0, false},
        {150, 100, user_texts::wide(user_texts::buttonAddPoint), 100, true},
        {250, 100, user_texts::wide(user_texts::buttonDeletePoint), 101, true},
        {350, 100, user_texts::wide(user_texts::buttonMovePoint), 102, true},
        {450, 100, user_texts::wide(user_texts::buttonInsertLine), 103, true},
        {550, 100, user_texts::wide(user_texts::buttonDeleteLine), 104, true},
        {650, 150, L"", 0, false},
    };
    std::vector<HWND> children = childWindows(window);
    ASSERT_EQ(children.size(), 7u);
    for (const Expected& e : buttons) {
        SCOPED_TRACE(e.x);
        HWND found = nullptr;
        for (HWND c : children) {
            RECT r{};
            GetWindowRect(c, &r);
            if (r.left - clientToScreen(window, 0, 0).x == e.x) {
                found = c;
            }
        }
        ASSERT_NE(found, nullptr) << "no button at x " << e.x;
        RECT r{};
        GetWindowRect(found, &r);
        POINT origin = clientToScreen(window, 0, 0);
        EXPECT_EQ(r.top - origin.y, 0);
        EXPECT_EQ(r.right - r.left, e.width);
        EXPECT_EQ(r.bottom - r.top, 30);
        EXPECT_EQ(className(found), "Button");
        EXPECT_EQ(windowText(found), cp1250(e.text));
        EXPECT_EQ(GetDlgCtrlID(found), e.id);
        EXPECT_EQ(IsWindowEnabled(found) != 0, e.enabled);
        EXPECT_TRUE(IsWindowVisible(found));
    }
    EXPECT_EQ(cp1250(L"usuń"), "usu\xF1");

    Image shown = session_.settled();
    for (const auto& p : kSquarePoints) {
        EXPECT_TRUE(pointMarked(shown, p.first, p.second)) << p.first << "," << p.second;
    }
    EXPECT_EQ(shown.pixel((kAx + kBx) / 2, kAy), kBlack) << "line AB";
    EXPECT_EQ(shown.pixel(kBx, (kBy + kCy) / 2), kBlack) << "line BC";
    EXPECT_EQ(shown.pixel((kCx + kDx) / 2, kCy), kBlack) << "line CD";
    EXPECT_EQ(shown.pixel(kAx, (kAy + kDy) / 2), kWhite) << "no line DA";
    EXPECT_TRUE(statusShows(shown, L""));
    EXPECT_EQ(redPixels(shown), 0);

    // The blank end buttons do nothing; a real one answers at once.
    POINT blank = clientToScreen(window, 75, 15);
    ASSERT_TRUE(bringToFront(window));
    ASSERT_TRUE(moveMouseTo(blank.x, blank.y));
    leftDown();
    leftUp();
    ASSERT_TRUE(session_.clickButton(kDeleteLine));
    EXPECT_TRUE(session_.waitStatus(kPromptDeleteLine));
    EXPECT_TRUE(statusShows(session_.settled(), kPromptDeleteLine));

    closeNormally();
    EXPECT_EQ(readData(), savedFile(kSquarePoints, kSquareLines));
}

TEST_F(StartTest, CloseBoxOnTheCaptionEndsTheEditorAndSavesTheFigure) {
    startOnSquare();
    ASSERT_TRUE(session_.clickButton(kInsertPoint));
    ASSERT_TRUE(session_.waitStatus(kPromptInsertPoint));
    ASSERT_TRUE(session_.click(600, 450));
    ASSERT_TRUE(session_.waitStatus(kPointAdded));

    int y = 0;
    int x = findOnCaption(session_.window(), HTCLOSE, &y);
    ASSERT_GE(x, 0);
    ASSERT_TRUE(bringToFront(session_.window()));
    ASSERT_TRUE(moveMouseTo(x - 2, y));
    leftDown();
    leftUp();
    DWORD code = 12345;
    ASSERT_TRUE(session_.waitExit(&code));
    EXPECT_EQ(code, 0u);
    Points points = kSquarePoints;
    points.push_back({600, 450});
    EXPECT_EQ(readData(), savedFile(points, kSquareLines));
}

TEST_F(StartTest, FailedLoadShowsItsBoxStartsEmptyAndLeavesAnUnreadFileAsItWas) {
    struct Case {
        const char* name;
        bool present;
        std::string bytes;
    };
    const Case cases[] = {
        {"missing file", false, ""},
        {"empty file", true, ""},
        {"only comments and empty lines", true, "// nic\n\n/ jeszcze nic\r\n"},
        {"misspelt point header", true, "PUNKTA 2\n10 10\n20 20\nLINIE 0\n"},
        {"zero points", true, "PUNKTY 0\n\nLINIE 0\n"},
        {"negative count", true, "PUNKTY -3\n100 100\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileA(path("Dane/obiekt.obj").c_str());
        if (c.present) {
            writeData(c.bytes);
        }
        ASSERT_TRUE(session_.start(workDir_));
        HWND greeting = session_.waitBox("dane");
        ASSERT_NE(greeting, nullptr);
        ASSERT_TRUE(session_.answer(greeting));
        HWND failed = session_.waitBox(cp1250(user_texts::wide(user_texts::loadFailureCaption)));
        ASSERT_NE(failed, nullptr) << "no load-failure box";
        EXPECT_EQ(EditorSession::boxText(failed), cp1250(kLoadFailed));
        EXPECT_EQ(className(GetWindow(failed, GW_OWNER)), "Figury");
        ASSERT_TRUE(session_.answer(failed));
        ASSERT_NE(session_.waitWindow(), nullptr);
        EXPECT_TRUE(blankBelowButtons(session_.settled())) << "the editor starts empty";

        closeNormally();
        if (c.present) {
            EXPECT_EQ(readData(), c.bytes) << "a file that was not read is not overwritten";
        } else {
            EXPECT_EQ(readData(), "PUNKTY 0\r\n\r\n\r\nLINIE 0\r\n\r\n");
        }
    }
}

TEST_F(StartTest, EditAfterAFailedLoadReplacesTheUnreadFile) {
    writeData("PUNKTA 2\n10 10\n");
    ASSERT_TRUE(session_.start(workDir_));
    ASSERT_TRUE(session_.answer(session_.waitBox("dane")));
    ASSERT_TRUE(session_.answer(session_.waitBox("Brak danych")));
    ASSERT_NE(session_.waitWindow(), nullptr);
    ASSERT_TRUE(session_.clickButton(kInsertPoint));
    ASSERT_TRUE(session_.waitStatus(kPromptInsertPoint));
    ASSERT_TRUE(session_.click(300, 300));
    Image after;
    ASSERT_TRUE(session_.waitStatus(kPointAdded, &after));
    EXPECT_TRUE(pointMarked(after, 300, 300));
    closeNormally();
    EXPECT_EQ(readData(), savedFile({{300, 300}}, {}));
}

TEST_F(StartTest, SaveThatCannotBeWrittenIsReportedAndTheEditorStillEnds) {
    struct Case {
        const char* name;
        bool removeDaneBeforeStart;
    };
    for (Case c : {Case{"no Dane folder", true}, Case{"Dane folder removed while editing", false}}) {
        SCOPED_TRACE(c.name);
        removeTree(path("Dane"));
        if (!c.removeDaneBeforeStart) {
            ASSERT_TRUE(CreateDirectoryA(path("Dane").c_str(), nullptr));
            writeData(kSquareFile);
        }
        ASSERT_TRUE(session_.start(workDir_));
        ASSERT_TRUE(session_.answer(session_.waitBox("dane")));
        if (c.removeDaneBeforeStart) {
            ASSERT_TRUE(session_.answer(session_.waitBox("Brak danych")));
        }
        ASSERT_NE(session_.waitWindow(), nullptr);
        ASSERT_TRUE(session_.clickButton(kInsertPoint));
        ASSERT_TRUE(session_.waitStatus(kPromptInsertPoint));
        ASSERT_TRUE(session_.click(500, 420));
        ASSERT_TRUE(session_.waitStatus(kPointAdded));
        removeTree(path("Dane"));

        ASSERT_TRUE(bringToFront(session_.window()));
        tapAltF4();
        HWND failed = session_.waitBox(cp1250(user_texts::wide(user_texts::saveFailureCaption)));
        ASSERT_NE(failed, nullptr) << "a lost save must be reported";
        EXPECT_EQ(EditorSession::boxText(failed), cp1250(kSaveFailed));
        EXPECT_EQ(GetWindow(failed, GW_OWNER), nullptr);
        EXPECT_TRUE(EditorSession::boxHasIcon(failed)) << "an error box shows the error icon";
        ASSERT_TRUE(session_.answer(failed));
        DWORD code = 12345;
        ASSERT_TRUE(session_.waitExit(&code));
        EXPECT_EQ(code, 0u);
        EXPECT_EQ(GetFileAttributesA(path("Dane").c_str()), INVALID_FILE_ATTRIBUTES);
    }
}

}  // namespace
}  // namespace e2e
