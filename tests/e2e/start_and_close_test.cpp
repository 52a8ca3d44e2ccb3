// Starting and closing as a person sees it: the boxes, the window and its
// buttons, and what is left in Dane/obiekt.obj afterwards.

#include "e2e_fixture.h"
#include "support/user_texts.h"

#include <cstdio>

namespace figury {

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

// Runs a command as the system's own shell does, and waits for it; its exit
// code, or -1 when it could not run.
int runAndWait(const std::string& commandLine) {
    std::string line = commandLine;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        return -1;
    }
    WaitForSingleObject(info.hProcess, 30000);
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return static_cast<int>(code);
}

bool underWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

// A shell command run from the Linux side, in the working folder: Wine runs
// Unix programs too, and only there do unix permissions and links arise.
// Wine does not wait for a Unix program, so the command leaves its exit code
// in a file. Returns that code, or -1.
int unixShell(const std::string& workDir, const std::string& command) {
    std::string folder = workDir.substr(2);  // Z:\... is / on the Linux side
    for (char& c : folder) {
        c = c == '\\' ? '/' : c;
    }
    const std::string status = workDir + "\\shell-status";
    DeleteFileA(status.c_str());
    runAndWait("/bin/sh -c \"cd '" + folder + "' && { " + command + "; }; echo $? > shell-status.new && " +
               "mv shell-status.new shell-status\"");
    int code = -1;
    waitUntil([&] { return GetFileAttributesA(status.c_str()) != INVALID_FILE_ATTRIBUTES; }, Millis(10000));
    if (std::FILE* file = std::fopen(status.c_str(), "r")) {
        if (std::fscanf(file, "%d", &code) != 1) {
            code = -1;
        }
        std::fclose(file);
    }
    DeleteFileA(status.c_str());
    return code;
}

// Presses one of a message box's buttons with the mouse; true when the box is gone.
bool pressBoxButton(EditorSession& session, HWND box, int id) {
    HWND button = GetDlgItem(box, id);
    RECT place{};
    return button && GetWindowRect(button, &place) &&
           session.clickOnScreen(POINT{(place.left + place.right) / 2, (place.top + place.bottom) / 2},
                                 box) &&
           !IsWindow(box);
}

bool pressKeyOnBox(EditorSession& session, HWND box, WORD key) {
    return session.pressKeys({key}, box) && !IsWindow(box);
}

using StartTest = EditorTest;

TEST_F(StartTest, GreetsThenShowsTheFixedWindowWithItsButtonsAndTheLoadedFigure) {
    writeData(kSquareFile);
    ASSERT_TRUE(session_.start(workDir_));
    HWND greeting = session_.waitBox(L"dane");
    ASSERT_NE(greeting, nullptr) << "no greeting box";
    EXPECT_EQ(EditorSession::boxText(greeting), kTitle);
    HWND owner = GetWindow(greeting, GW_OWNER);
    EXPECT_EQ(className(owner), "Figury") << "the greeting belongs to the main window";
    ASSERT_TRUE(session_.answer(greeting));
    HWND window = session_.waitWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window, owner);
    EXPECT_TRUE(topWindows(session_.process().id(), "#32770").empty()) << "a valid file loads without a box";

    EXPECT_EQ(windowText(window), kTitle);
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
        ASSERT_TRUE(session_.clickOnScreen(POINT{maxBox - 2, y}));
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
        EXPECT_TRUE(hit < HTLEFT || hit > HTBOTTOMRIGHT)
            << "sizing edge at " << e.x << "," << e.y << ": " << hit;
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
        EXPECT_EQ(windowText(found), e.text);
        EXPECT_EQ(GetDlgCtrlID(found), e.id);
        EXPECT_EQ(IsWindowEnabled(found) != 0, e.enabled);
        EXPECT_TRUE(IsWindowVisible(found));
    }

    Image shown = session_.shown();
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
    ASSERT_TRUE(session_.click(75, 15));
    EXPECT_TRUE(session_.statusIs(L""));
    ASSERT_TRUE(session_.clickButton(kDeleteLine));
    EXPECT_TRUE(session_.statusIs(kPromptDeleteLine));

    closeNormally();
    EXPECT_EQ(readData(), savedFile(kSquarePoints, kSquareLines));
}

TEST_F(StartTest, CloseBoxOnTheCaptionEndsTheEditorAndSavesTheFigure) {
    startOnSquare();
    ASSERT_TRUE(session_.clickButton(kInsertPoint));
    ASSERT_TRUE(session_.statusIs(kPromptInsertPoint));
    ASSERT_TRUE(session_.click(600, 450));
    ASSERT_TRUE(session_.statusIs(kPointAdded));

    int y = 0;
    int x = findOnCaption(session_.window(), HTCLOSE, &y);
    ASSERT_GE(x, 0);
    ASSERT_TRUE(session_.clickOnScreen(POINT{x - 2, y}));
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
        bool noFolder = false;
    };
    const Case cases[] = {
        {"missing file", false, ""},
        // Nothing edited, nothing lost: the failed save is not reported.
        {"no Dane folder", false, "", true},
        {"empty file", true, ""},
        {"only comments and empty lines", true, "// nic\n\n/ jeszcze nic\r\n"},
        {"misspelt point header", true, "PUNKTA 2\n10 10\n20 20\nLINIE 0\n"},
        {"zero points", true, "PUNKTY 0\n\nLINIE 0\n"},
        {"negative count", true, "PUNKTY -3\n100 100\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        removeTree(path("Dane"));
        if (!c.noFolder) {
            ASSERT_TRUE(CreateDirectoryA(path("Dane").c_str(), nullptr));
        }
        if (c.present) {
            writeData(c.bytes);
        }
        ASSERT_TRUE(session_.start(workDir_));
        HWND greeting = session_.waitBox(L"dane");
        ASSERT_NE(greeting, nullptr);
        ASSERT_TRUE(session_.answer(greeting));
        HWND failed = session_.waitBox(kLoadFailedCaption);
        ASSERT_NE(failed, nullptr) << "no load-failure box";
        EXPECT_EQ(EditorSession::boxText(failed), kLoadFailed);
        EXPECT_EQ(className(GetWindow(failed, GW_OWNER)), "Figury");
        ASSERT_TRUE(session_.answer(failed));
        ASSERT_NE(session_.waitWindow(), nullptr);
        if (c.noFolder) {
            // Nowhere to keep a journal: the status line says the edits are not protected.
            EXPECT_TRUE(session_.statusIs(user_texts::wide(user_texts::journalFailure)));
        } else {
            EXPECT_TRUE(blankBelowButtons(session_.shown())) << "the editor starts empty";
        }

        closeNormally();
        if (c.present) {
            EXPECT_EQ(readData(), c.bytes) << "a file that was not read is not overwritten";
        } else if (c.noFolder) {
            EXPECT_EQ(GetFileAttributesA(path("Dane").c_str()), INVALID_FILE_ATTRIBUTES);
        } else {
            EXPECT_EQ(readData(), "PUNKTY 0\r\n\r\n\r\nLINIE 0\r\n\r\n");
        }
    }
}

TEST_F(StartTest, EditAfterAFailedLoadReplacesTheUnreadFileWhenTheUserSaysSo) {
    writeData("PUNKTA 2\n10 10\n");
    ASSERT_TRUE(session_.start(workDir_));
    ASSERT_TRUE(session_.answer(session_.waitBox(L"dane")));
    HWND failed = session_.waitBox(kLoadFailedCaption);
    ASSERT_NE(failed, nullptr) << "no load-failure box";
    EXPECT_EQ(EditorSession::boxText(failed), kLoadFailed);
    ASSERT_TRUE(session_.answer(failed));
    ASSERT_NE(session_.waitWindow(), nullptr);
    ASSERT_TRUE(session_.clickButton(kInsertPoint));
    ASSERT_TRUE(session_.statusIs(kPromptInsertPoint));
    ASSERT_TRUE(session_.click(300, 300));
    Image after;
    ASSERT_TRUE(session_.statusIs(kPointAdded, &after));
    EXPECT_TRUE(pointMarked(after, 300, 300));
    ASSERT_TRUE(session_.pressKeys({VK_MENU, VK_F4}));
    HWND asked = session_.waitBox(user_texts::wide(user_texts::unreadFileCaption));
    ASSERT_TRUE(asked && pressBoxButton(session_, asked, IDYES));
    DWORD code = 12345;
    ASSERT_TRUE(session_.waitExit(&code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(readData(), savedFile({{300, 300}}, {}));
}

// A save that fails at close (the file made read-only; the folder cannot go
// while the editor holds its journal there): Esc goes back to the editor,
// Enter tries again, and the figure is saved once the file may be written
// again; or the user closes without it.
TEST_F(StartTest, SaveThatFailsAtCloseLetsTheUserGoBackTryAgainOrCloseWithoutIt) {
    for (bool fixed : {true, false}) {
        SCOPED_TRACE(fixed ? "folder made again" : "closed without saving");
        removeTree(path("Dane"));
        ASSERT_TRUE(CreateDirectoryA(path("Dane").c_str(), nullptr));
        writeData(kSquareFile);
        ASSERT_TRUE(session_.startAndGreet(workDir_));
        ASSERT_TRUE(session_.clickButton(kInsertPoint));
        ASSERT_TRUE(session_.statusIs(kPromptInsertPoint));
        ASSERT_TRUE(session_.click(500, 420));
        ASSERT_TRUE(session_.statusIs(kPointAdded));
        const std::string file = path("Dane\\obiekt.obj");
        ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));

        ASSERT_TRUE(session_.pressKeys({VK_MENU, VK_F4}));
        HWND failed = session_.waitBox(kSaveFailedCaption);
        ASSERT_NE(failed, nullptr) << "a lost save must be reported";
        EXPECT_EQ(EditorSession::boxText(failed),
                  kSaveFailed +
                      L"\n\nMożesz spróbować ponownie, anulować zamykanie i wrócić do edycji z zachowaną "
                      L"figurą albo kontynuować zamykanie bez zapisu.");
        EXPECT_EQ(GetWindow(failed, GW_OWNER), session_.window());
        EXPECT_TRUE(EditorSession::boxHasIcon(failed)) << "an error box shows the error icon";
        if (!fixed) {
            ASSERT_TRUE(pressBoxButton(session_, failed, IDCONTINUE));
            DWORD code = 12345;
            ASSERT_TRUE(session_.waitExit(&code));
            EXPECT_EQ(code, 0u);
            SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
            EXPECT_EQ(readData(), kSquareFile);
            EXPECT_EQ(GetFileAttributesA(path("Dane\\obiekt.obj.journal").c_str()), INVALID_FILE_ATTRIBUTES)
                << "closed without saving, by the user's choice";
            break;
        }
        ASSERT_TRUE(pressKeyOnBox(session_, failed, VK_ESCAPE));
        EXPECT_TRUE(pointMarked(session_.shown(), 500, 420)) << "Esc goes back to the editor, figure kept";

        ASSERT_TRUE(session_.pressKeys({VK_MENU, VK_F4}));
        failed = session_.waitBox(kSaveFailedCaption);
        ASSERT_NE(failed, nullptr);
        ASSERT_TRUE(session_.answer(failed));
        failed = session_.waitBox(kSaveFailedCaption);
        ASSERT_NE(failed, nullptr) << "Enter tries again, which fails again";
        ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL));
        ASSERT_TRUE(session_.answer(failed));
        DWORD code = 12345;
        ASSERT_TRUE(session_.waitExit(&code));
        EXPECT_EQ(code, 0u);
        Points points = kSquarePoints;
        points.push_back({500, 420});
        EXPECT_EQ(readData(), savedFile(points, kSquareLines));
    }
}

// What the user set on the file from the Linux side survives the save: its
// permissions, a link at its place, a file named like a temporary, and a
// read-only file is not replaced.
TEST_F(StartTest, SaveKeepsWhatTheUserSetOnTheFile) {
    if (!underWine()) {
        GTEST_SKIP() << "unix permissions and links are set up from Wine's Linux side";
    }
    struct Case {
        const char* name;
        const char* setUp;  // a shell command in the working folder
        const char* check;  // true when what was set is still there
        bool saved;         // where the figure ends up: Dane/obiekt.obj, or shared.obj beside Dane
    };
    const Case cases[] = {
        {"private file and a file of the user's named like a temporary",
         "chmod 600 Dane/obiekt.obj && echo moje > Dane/obiekt.obj.tmp",
         "[ $(stat -c %a Dane/obiekt.obj) = 600 ] && [ $(cat Dane/obiekt.obj.tmp) = moje ] && [ $(ls Dane | "
         "wc -l) = 2 ]",
         true},
        {"link to a file beside the folder",
         "mv Dane/obiekt.obj shared.obj && chmod 640 shared.obj && ln -s ../shared.obj Dane/obiekt.obj",
         "[ -L Dane/obiekt.obj ] && [ $(readlink Dane/obiekt.obj) = ../shared.obj ] && "
         "[ $(stat -c %a shared.obj) = 640 ] && [ $(ls Dane | wc -l) = 1 ]",
         true},
        {"read-only file", "chmod 444 Dane/obiekt.obj",
         "[ $(stat -c %a Dane/obiekt.obj) = 444 ] && [ $(ls Dane | wc -l) = 1 ]", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        unixShell(workDir_, "rm -rf Dane shared.obj && mkdir Dane");
        writeData(kSquareFile);
        ASSERT_EQ(unixShell(workDir_, c.setUp), 0);
        ASSERT_TRUE(session_.startAndGreet(workDir_));
        ASSERT_TRUE(session_.clickButton(kInsertPoint));
        ASSERT_TRUE(session_.statusIs(kPromptInsertPoint));
        ASSERT_TRUE(session_.click(500, 420));
        ASSERT_TRUE(session_.statusIs(kPointAdded));
        if (c.saved) {
            closeNormally();
            Points points = kSquarePoints;
            points.push_back({500, 420});
            EXPECT_EQ(readData(), savedFile(points, kSquareLines));
        } else {
            ASSERT_TRUE(session_.pressKeys({VK_MENU, VK_F4}));
            HWND failed = session_.waitBox(kSaveFailedCaption);
            ASSERT_NE(failed, nullptr) << "a read-only file is not replaced, and the user is told";
            ASSERT_TRUE(pressBoxButton(session_, failed, IDCONTINUE));
            DWORD code = 12345;
            ASSERT_TRUE(session_.waitExit(&code));
            EXPECT_EQ(readData(), kSquareFile);
        }
        EXPECT_EQ(unixShell(workDir_, c.check), 0);
        unixShell(workDir_, "chmod -R u+w Dane");
    }
}

// Log-off or shut-down: Wine's end of the session sends the window the
// session's end and then ends the process, without a destroy.
TEST_F(StartTest, TheSessionsEndSavesTheFigure) {
    if (!underWine()) {
        GTEST_SKIP() << "the session's end is Wine's wineboot here";
    }
    startOnSquare();
    ASSERT_TRUE(session_.clickButton(kInsertPoint));
    ASSERT_TRUE(session_.statusIs(kPromptInsertPoint));
    ASSERT_TRUE(session_.click(500, 420));
    ASSERT_TRUE(session_.statusIs(kPointAdded));
    EXPECT_EQ(runAndWait("wineboot.exe --end-session"), 0);
    DWORD code = 12345;
    ASSERT_TRUE(session_.waitExit(&code));
    Points points = kSquarePoints;
    points.push_back({500, 420});
    EXPECT_EQ(readData(), savedFile(points, kSquareLines));
}

// Starts the editor and answers with Enter the greeting and then the box
// with this caption and text; true once the window is there.
bool startPastABox(EditorSession& session, const std::string& workDir, const std::wstring& caption,
                   const std::wstring& text) {
    HWND greeting = nullptr;
    HWND box = nullptr;
    const bool shown = session.start(workDir) && (greeting = session.waitBox(L"dane")) != nullptr &&
                       session.answer(greeting) && (box = session.waitBox(caption)) != nullptr;
    if (!shown) {
        return false;
    }
    EXPECT_EQ(EditorSession::boxText(box), text);
    return session.answer(box) && session.waitWindow();
}

// A copy of the editor beside one that is running is told of the other.
bool startSecondCopy(EditorSession& copy, const std::string& workDir) {
    return startPastABox(copy, workDir, user_texts::wide(user_texts::otherCopyCaption),
                         user_texts::wide(user_texts::otherCopy));
}

// Two copies of the editor on one folder: the second edits and closes, then
// the first, untouched, closes and leaves the second one's save in place.
TEST_F(StartTest, AnUntouchedCopyLeavesTheFigureAnotherCopySavedInPlace) {
    startOnSquare();
    EditorSession other(editorExe(), [](const std::string& why) { ADD_FAILURE() << why; });
    // The first copy's journal is live: the second is told, and keeps its own.
    ASSERT_TRUE(startSecondCopy(other, workDir_));
    EXPECT_EQ(GetFileAttributesA(path("Dane\\obiekt.obj.journal.2").c_str()) & FILE_ATTRIBUTE_HIDDEN,
              static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(other.clickButton(kInsertPoint));
    ASSERT_TRUE(other.click(600, 250));
    ASSERT_TRUE(other.statusIs(kPointAdded));
    DWORD code = 12345;
    ASSERT_TRUE(other.closeWithAltF4(&code));
    EXPECT_EQ(code, 0u);
    Points points = kSquarePoints;
    points.push_back({600, 250});
    const std::string saved = savedFile(points, kSquareLines);
    ASSERT_EQ(readData(), saved);

    closeNormally();  // nothing at stake: no box
    EXPECT_EQ(readData(), saved);
    EXPECT_EQ(GetFileAttributesA(path("Dane\\obiekt.obj.journal").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA(path("Dane\\obiekt.obj.journal.2").c_str()), INVALID_FILE_ATTRIBUTES);
}

// Starts after a session that did not close: the question for its steps,
// answered with Enter (Tak).
bool startAndRecover(EditorSession& session, const std::string& workDir, size_t steps) {
    return startPastABox(session, workDir, user_texts::wide(user_texts::recoveryCaption),
                         user_texts::wide(user_texts::recovery(steps)));
}

// The editor is killed after edits; the next start recovers them, and a
// second kill before a save loses nothing either: the third start has the
// steps of both sessions, Ctrl+Z undoes the last, and the close saves.
TEST_F(StartTest, EditsOutliveTwoCrashesInARowAndTheCloseSavesThem) {
    startOnSquare();
    ASSERT_TRUE(session_.clickButton(kInsertPoint));
    ASSERT_TRUE(session_.click(500, 420));
    ASSERT_TRUE(session_.clickButton(kInsertPoint));
    ASSERT_TRUE(session_.click(550, 430));
    ASSERT_TRUE(session_.statusIs(kPointAdded));
    session_.process().terminate();

    ASSERT_TRUE(startAndRecover(session_, workDir_, 2));
    EXPECT_TRUE(session_.statusIs(user_texts::wide(user_texts::recovered)));
    EXPECT_TRUE(session_.shows([](const Image& client) { return pointMarked(client, 550, 430); }));
    ASSERT_TRUE(session_.clickButton(kInsertPoint));
    ASSERT_TRUE(session_.click(600, 440));
    ASSERT_TRUE(session_.statusIs(kPointAdded));
    session_.process().terminate();

    ASSERT_TRUE(startAndRecover(session_, workDir_, 3));
    ASSERT_TRUE(session_.pressKeys({VK_CONTROL, 'Z'}));
    EXPECT_TRUE(session_.statusIs(user_texts::wide(user_texts::undonePointAdded)));
    closeNormally();
    Points points = kSquarePoints;
    points.push_back({500, 420});
    points.push_back({550, 430});
    EXPECT_EQ(readData(), savedFile(points, kSquareLines));
    EXPECT_EQ(GetFileAttributesA(path("Dane\\obiekt.obj.journal").c_str()), INVALID_FILE_ATTRIBUTES);
}

// The whole Wine server goes, not only the editor: the first half edits and
// leaves the editor running once it has handled the edits; then
// wineserver_killed.sh kills the prefix's Wine server with every program in
// it, and in the second half the next start offers the steps, Tak brings
// them back and the close saves them.
TEST_F(StartTest, EditsOutliveTheWineServerKilledUnderTheEditor) {
    if (storyHalf() == StoryHalf::whole) {
        GTEST_SKIP()
            << "wineserver_killed.sh runs it in two halves, with the Wine server killed between them";
    }
    if (storyHalf() == StoryHalf::first) {
        startOnSquare();
        ASSERT_TRUE(session_.clickButton(kInsertPoint));
        ASSERT_TRUE(session_.click(500, 420));
        ASSERT_TRUE(session_.clickButton(kInsertLine));
        ASSERT_TRUE(session_.click(kCx, kCy));
        ASSERT_TRUE(session_.click(500, 420));
        ASSERT_TRUE(session_.statusIs(kLineInserted));
        session_.process().detach();
        return;
    }
    ASSERT_TRUE(startAndRecover(session_, workDir_, 2));
    EXPECT_TRUE(session_.statusIs(user_texts::wide(user_texts::recovered)));
    closeNormally();
    Points points = kSquarePoints;
    points.push_back({500, 420});
    Lines lines = kSquareLines;
    lines.push_back({3, 5});
    EXPECT_EQ(readData(), savedFile(points, lines));
    EXPECT_EQ(GetFileAttributesA(path("Dane\\obiekt.obj.journal").c_str()), INVALID_FILE_ATTRIBUTES);
}

// Ctrl+S saves while the editor stays open; with nothing edited it writes nothing.
TEST_F(StartTest, CtrlSSavesNowAndTheEditorGoesOn) {
    startOnSquare();
    ASSERT_TRUE(session_.pressKeys({VK_CONTROL, 'S'}));
    EXPECT_TRUE(session_.statusIs(user_texts::wide(user_texts::nothingToSave)));
    EXPECT_EQ(readData(), kSquareFile);
    ASSERT_TRUE(session_.clickButton(kInsertPoint));
    ASSERT_TRUE(session_.click(500, 420));
    ASSERT_TRUE(session_.pressKeys({VK_CONTROL, 'S'}));
    EXPECT_TRUE(session_.statusIs(user_texts::wide(user_texts::figureSaved)));
    Points points = kSquarePoints;
    points.push_back({500, 420});
    EXPECT_EQ(readData(), savedFile(points, kSquareLines));
    // Killed now, nothing is lost and nothing is asked at the next start.
    session_.process().terminate();
    ASSERT_TRUE(session_.startAndGreet(workDir_));
    EXPECT_TRUE(topWindows(session_.process().id(), "#32770").empty());
    closeNormally();
    EXPECT_EQ(readData(), savedFile(points, kSquareLines));
}

// Writes the figure file as a copying tool that keeps times does: other
// bytes, the old time put back.
void writeKeepingTime(const std::string& file, const std::string& bytes) {
    FILETIME written{};
    HANDLE handle =
        CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(GetFileTime(handle, nullptr, nullptr, &written));
    DWORD count = 0;
    ASSERT_TRUE(WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &count, nullptr));
    ASSERT_TRUE(SetEndOfFile(handle));
    ASSERT_TRUE(SetFileTime(handle, nullptr, nullptr, &written));
    CloseHandle(handle);
}

// Another program rewrites the file in as many bytes and puts its old time
// back: the editor still sees the change. Unedited, the close leaves the
// other save alone; edited, it asks, and No keeps the other file.
TEST_F(StartTest, AChangeWithTheOldTimePutBackIsSeen) {
    for (const bool edited : {false, true}) {
        SCOPED_TRACE(edited ? "edited" : "not edited");
        startOnSquare();
        if (edited) {
            ASSERT_TRUE(session_.clickButton(kInsertPoint));
            ASSERT_TRUE(session_.click(500, 420));
            ASSERT_TRUE(session_.statusIs(kPointAdded));
        }
        std::string theirs = kSquareFile;
        theirs.replace(theirs.find("200"), 3, "201");
        writeKeepingTime(path("Dane\\obiekt.obj"), theirs);
        if (edited) {
            ASSERT_TRUE(session_.pressKeys({VK_MENU, VK_F4}));
            HWND asked = session_.waitBox(user_texts::wide(user_texts::changedFileCaption));
            ASSERT_NE(asked, nullptr);
            ASSERT_TRUE(pressBoxButton(session_, asked, IDNO));
            DWORD code = 12345;
            ASSERT_TRUE(session_.waitExit(&code));
        } else {
            closeNormally();
        }
        EXPECT_EQ(readData(), theirs);
        writeData(kSquareFile);
    }
}

// A point added and deleted again is no edit: another program's save
// meanwhile stays, and the close asks nothing.
TEST_F(StartTest, AnEditUndoneByHandLeavesAnotherSaveAlone) {
    startOnSquare();
    ASSERT_TRUE(session_.clickButton(kInsertPoint));
    ASSERT_TRUE(session_.click(500, 420));
    ASSERT_TRUE(session_.clickButton(kDeletePoint));
    ASSERT_TRUE(session_.click(500, 420));
    ASSERT_TRUE(session_.statusIs(kPointDeleted));
    const std::string theirs = savedFile({{10, 10}}, {});
    writeData(theirs);
    closeNormally();
    EXPECT_TRUE(topWindows(session_.process().id(), "#32770").empty());
    EXPECT_EQ(readData(), theirs);
}

// A copy opened only to look and closed changes no figure, so the copy with
// an edit saves it at its close without a false alarm.
TEST_F(StartTest, ALookOnlyCopyRaisesNoAlarmInTheOther) {
    startOnSquare();
    ASSERT_TRUE(session_.clickButton(kInsertPoint));
    ASSERT_TRUE(session_.click(500, 420));
    ASSERT_TRUE(session_.statusIs(kPointAdded));
    EditorSession other(editorExe(), [](const std::string& why) { ADD_FAILURE() << why; });
    ASSERT_TRUE(startSecondCopy(other, workDir_));
    DWORD code = 12345;
    ASSERT_TRUE(other.closeWithAltF4(&code));
    // The look wrote the same figure in the editor's own layout: no change
    // for the copy with the edit, which closes without a box.
    EXPECT_EQ(readData(), savedFile(kSquarePoints, kSquareLines));
    closeNormally();
    Points points = kSquarePoints;
    points.push_back({500, 420});
    EXPECT_EQ(readData(), savedFile(points, kSquareLines));
}

// A file the loader refuses (an indented header) is not replaced unasked:
// Enter goes back to the editor, and No closes with the file as it was.
TEST_F(StartTest, AFileThatCouldNotBeReadIsReplacedOnlyWhenTheUserSaysSo) {
    const std::string handWritten = "  PUNKTY 1\r\n100 100\r\n";
    writeData(handWritten);
    ASSERT_TRUE(session_.start(workDir_));
    HWND greeting = session_.waitBox(L"dane");
    ASSERT_TRUE(greeting && session_.answer(greeting));
    HWND failed = session_.waitBox(kLoadFailedCaption);
    ASSERT_TRUE(failed && session_.answer(failed));
    ASSERT_TRUE(session_.waitWindow());
    ASSERT_TRUE(session_.clickButton(kInsertPoint));
    ASSERT_TRUE(session_.click(500, 420));
    for (const bool back : {true, false}) {
        ASSERT_TRUE(session_.pressKeys({VK_MENU, VK_F4}));
        HWND asked = session_.waitBox(user_texts::wide(user_texts::unreadFileCaption));
        ASSERT_NE(asked, nullptr);
        EXPECT_EQ(EditorSession::boxText(asked), user_texts::wide(user_texts::unreadFile));
        if (back) {
            ASSERT_TRUE(session_.answer(asked));
            EXPECT_TRUE(pointMarked(session_.shown(), 500, 420)) << "Enter goes back to the editor";
        } else {
            ASSERT_TRUE(pressBoxButton(session_, asked, IDNO));
        }
        EXPECT_EQ(readData(), handWritten);
    }
    DWORD code = 12345;
    ASSERT_TRUE(session_.waitExit(&code));
    EXPECT_EQ(readData(), handWritten);
    EXPECT_EQ(GetFileAttributesA(path("Dane\\obiekt.obj.journal").c_str()), INVALID_FILE_ATTRIBUTES);
}

// At the session's end nobody can answer: edits that would replace a file
// another program saved meanwhile leave it, and the next start offers them
// back; its close then asks.
TEST_F(StartTest, TheSessionsEndLeavesAChangedFileAndTheNextStartOffersTheEdits) {
    if (!underWine()) {
        GTEST_SKIP() << "the session's end is Wine's wineboot here";
    }
    startOnSquare();
    ASSERT_TRUE(session_.clickButton(kInsertPoint));
    ASSERT_TRUE(session_.click(500, 420));
    ASSERT_TRUE(session_.statusIs(kPointAdded));
    const std::string theirs = savedFile({{10, 10}}, {});
    writeData(theirs);
    EXPECT_EQ(runAndWait("wineboot.exe --end-session"), 0);
    DWORD code = 12345;
    ASSERT_TRUE(session_.waitExit(&code));
    EXPECT_EQ(readData(), theirs);

    ASSERT_TRUE(startAndRecover(session_, workDir_, 1));
    EXPECT_TRUE(session_.shows([](const Image& client) { return pointMarked(client, 500, 420); }));
    ASSERT_TRUE(session_.pressKeys({VK_MENU, VK_F4}));
    HWND asked = session_.waitBox(user_texts::wide(user_texts::changedFileCaption));
    ASSERT_NE(asked, nullptr);
    ASSERT_TRUE(pressBoxButton(session_, asked, IDYES));
    ASSERT_TRUE(session_.waitExit(&code));
    Points points = kSquarePoints;
    points.push_back({500, 420});
    EXPECT_EQ(readData(), savedFile(points, kSquareLines));
}

// Two copies, each with an edit, closed at the same moment (as the taskbar's
// "close all windows" does): one saves, and the other finds that save and
// asks; whatever the order, no edit is lost without a word.
TEST_F(StartTest, TwoCopiesClosedAtOnceNeverLoseAnEditSilently) {
    for (int trial = 0; trial < 4; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        writeData(kSquareFile);
        EditorSession first(editorExe(), [](const std::string& why) { ADD_FAILURE() << why; });
        EditorSession second(editorExe(), [](const std::string& why) { ADD_FAILURE() << why; });
        ASSERT_TRUE(first.startAndGreet(workDir_));
        ASSERT_TRUE(startSecondCopy(second, workDir_));
        EditorSession* copies[] = {&first, &second};
        for (int k = 0; k < 2; ++k) {
            ASSERT_TRUE(copies[k]->clickButton(kInsertPoint));
            ASSERT_TRUE(copies[k]->click(500 + 50 * k, 420));
            ASSERT_TRUE(copies[k]->statusIs(kPointAdded));
        }
        PostMessageA(first.window(), WM_CLOSE, 0, 0);
        PostMessageA(second.window(), WM_CLOSE, 0, 0);
        const std::wstring caption = user_texts::wide(user_texts::changedFileCaption);
        auto asks = [&caption](EditorSession& copy) {
            return !topWindows(copy.process().id(), "#32770", caption.c_str()).empty();
        };
        ASSERT_TRUE(waitUntil(
            [&] {
                return (asks(first) || !first.process().running()) &&
                       (asks(second) || !second.process().running());
            },
            Millis(30000)));
        const int asking = asks(first) + asks(second);
        ASSERT_EQ(asking, 1) << "the later close finds the earlier one's save";
        EditorSession& saved = asks(first) ? second : first;
        EditorSession& told = asks(first) ? first : second;
        Points points = kSquarePoints;
        points.push_back({&saved == &first ? 500 : 550, 420});
        EXPECT_EQ(readData(), savedFile(points, kSquareLines));
        HWND box = told.waitBox(caption);
        ASSERT_TRUE(box && pressBoxButton(told, box, IDNO));
        DWORD code = 12345;
        ASSERT_TRUE(told.waitExit(&code));
        EXPECT_EQ(readData(), savedFile(points, kSquareLines));
    }
}

}  // namespace
}  // namespace e2e

}  // namespace figury
