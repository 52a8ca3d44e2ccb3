// The real editor window on figures of 10k, 100k and 1M points and lines,
// each time from the input message to the end of the paint it causes: the
// load when the window is created and its first paint, a hover move in the
// delete-point, new-line and delete-line modes, each edit (add, delete and
// move a point, insert and delete a line), undo and redo of the last of them,
// and the save when the window is destroyed. Then the interactions as users
// make them (user_cases.h), each over E events: hovers that jump, a line
// deleted under the pointer, a long line through the middle edited. The
// window is the program's own, with its own window procedure; message boxes
// are answered by a hook, as a user would (Tak where there is one).
//
// Every step also goes to the session's journal: a third table gives the
// journal's own part of each edit, undo and redo, timed around its record,
// and the last line of each size the time from a crash (the journal of the
// whole run left behind) to the first paint of the recovered figure.
//
//   window_bench [--spread] [--repeat R] [--events E] [N ...]
//
// --spread puts the points over ten times the window's width and height, so
// that most of the figure lies outside the client area.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench_figures.h"
#include "editor/commands.h"
#include "figure/figure_file.h"
#include "editor/win32/main_window.h"
#include "editor/modes.h"
#include "editor/session_journal.h"
#include "editor/win32/window_proc.h"
#include "user_cases.h"
#include "window_session.h"

namespace figury {

namespace {

// Closes every message box with OK and remembers when the last one went, so
// that the load is timed from the greeting's end.
HHOOK boxHook = nullptr;
Clock::time_point lastBoxGone;
int boxesSeen = 0;

bool isMessageBox(HWND window) {
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    return std::strcmp(className, "#32770") == 0;
}

LRESULT CALLBACK answerBoxes(int code, WPARAM wParam, LPARAM lParam) {
    HWND window = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_ACTIVATE && isMessageBox(window)) {
        ++boxesSeen;
        PostMessageA(window, WM_COMMAND, GetDlgItem(window, IDYES) != nullptr ? IDYES : IDOK, 0);
    } else if (code == HCBT_DESTROYWND && isMessageBox(window)) {
        lastBoxGone = Clock::now();
    }
    return CallNextHookEx(boxHook, code, wParam, lParam);
}

std::string fileBytes(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The edits of the first table, on points of their own in the clear patch.
constexpr POINT pointA = {590, 440};
constexpr POINT pointB = {610, 455};
constexpr POINT movedA = {595, 445};

// The benchmark figure with the points in the clear patch, and the line ends
// on them, moved right beyond it: the counts stay n, every end stays on a point.
Figure figureWithClearPatch(int32_t n, bool spread) {
    Figure figure = benchFigure(n, spread ? spreadArea : clientArea);
    auto clearOf = [](Point& point) {
        if (point.x >= clearPatch.left && point.x < clearPatch.right && point.y >= clearPatch.top &&
            point.y < clearPatch.bottom) {
            point.x += clearPatch.right - clearPatch.left;
        }
    };
    for (Point& point : figure.points) {
        clearOf(point);
    }
    for (Line& line : figure.lines) {
        clearOf(line.first);
        clearOf(line.second);
    }
    return figure;
}

enum Measure {
    loadTime,
    firstPaintTime,
    hover2Time,
    hover6Time,
    hover10Time,
    addPointTime,
    deletePointTime,
    movePointTime,
    insertLineTime,
    deleteLineTime,
    undoTime,
    redoTime,
    saveTime,
    measureCount
};
constexpr const char* measureNames[measureCount] = {"load", "paint",  "hover2", "hover6", "hover10",
                                                    "add",  "delete", "move",   "insert", "unline",
                                                    "undo", "redo",   "save"};

// The steps whose journal records are timed: the edits of the first table
// and, together, every step of the user cases.
constexpr Measure journalledMeasures[] = {addPointTime,   deletePointTime, movePointTime, insertLineTime,
                                          deleteLineTime, undoTime,        redoTime};

struct Result {
    double ms[measureCount] = {};
    UserCaseTimes userCases;
    std::vector<double> journal[measureCount];  // each step's record, by the edit it belongs to
    std::vector<double> journalUserCases;
    double crashToRecoveredPaint = 0;
    size_t recoveredSteps = 0;
    bool ok = false;
};

// Times the journal's record of each step: the window's step listener, wrapped.
void timeTheJournal(EditorState& state, std::vector<double>*& into) {
    FigureDocument::StepListener journal = state.document.stepListener();
    state.document.setStepListener([journal, &into](StepTaken taken, EditKind kind, const FigureEdit& edit) {
        const auto start = Clock::now();
        journal(taken, kind, edit);
        if (into != nullptr) {
            into->push_back(millisecondsSince(start));
        }
    });
}

// A crash leaves the journal of the whole run: the window saved and took it
// away, so it is put back as it was before the close. From there to the
// first paint of the recovered figure, the boxes answered at once.
bool recoverAfterCrash(HINSTANCE instance, const std::string& journal, const Figure& figure, Result& result) {
    const std::string journalPath = journalPathFor(figureFilePath);
    std::ofstream(journalPath, std::ios::binary) << journal;
    const auto crashed = Clock::now();
    EditorState state;
    boxesSeen = 0;
    HWND window = createMainWindow(instance, state);
    if (window == nullptr) {
        return false;
    }
    ShowWindow(window, SW_SHOWNORMAL);
    createButtonBar(window, instance);
    UpdateWindow(window);
    GdiFlush();
    result.crashToRecoveredPaint = millisecondsSince(crashed);
    result.recoveredSteps = state.document.undoSteps() + state.document.redoSteps();
    pumpMessages();
    const bool recovered = boxesSeen == 2 && state.document.figure() == figure;
    DestroyWindow(window);
    pumpMessages();
    return recovered;
}

// The hover position walks a few pixels to and fro, as a slow pointer does.
constexpr int hoverX = 397;
constexpr int hoverY = 285;

Result measure(HINSTANCE instance, int32_t n, bool spread, int repeat, int events) {
    Result result;
    const Figure figure = figureWithClearPatch(n, spread);
    saveFigure(figure, figureFilePath);
    const std::string written = fileBytes(figureFilePath);

    EditorState state;
    boxesSeen = 0;
    HWND window = createMainWindow(instance, state);
    result.ms[loadTime] = millisecondsSince(lastBoxGone);
    if (window == nullptr || boxesSeen != 1 || state.document.figure() != figure) {
        std::fprintf(stderr, "the window did not open on the figure of %d points\n", n);
        return result;
    }
    RECT client;
    GetClientRect(window, &client);
    if (client.right != clientArea.right || client.bottom != clientArea.bottom) {
        std::fprintf(stderr, "the client area is %ld x %ld\n", client.right, client.bottom);
    }
    const auto shown = Clock::now();
    ShowWindow(window, SW_SHOWNORMAL);
    createButtonBar(window, instance);
    UpdateWindow(window);
    GdiFlush();
    result.ms[firstPaintTime] = millisecondsSince(shown);
    pumpMessages();

    std::vector<double>* journalTimes = nullptr;
    timeTheJournal(state, journalTimes);
    Session session(window);
    const struct {
        Measure measure;
        int command;
    } hovers[] = {{hover2Time, 101}, {hover6Time, 103}, {hover10Time, 104}};
    for (const auto& hover : hovers) {
        session.command(hover.command);
        std::vector<double> times;
        for (int r = 0; r < repeat; ++r) {
            times.push_back(session.timed(WM_MOUSEMOVE, {hoverX + r % 4, hoverY}));
        }
        result.ms[hover.measure] = median(times);
    }

    std::vector<double> editTimes[measureCount];
    for (int r = 0; r < repeat; ++r) {
        session.command(100);
        journalTimes = &result.journal[addPointTime];
        editTimes[addPointTime].push_back(session.timedClick(pointA));
        journalTimes = nullptr;
        session.command(100);
        session.click(pointB);
        session.command(103);
        session.click(pointA);
        journalTimes = &result.journal[insertLineTime];
        editTimes[insertLineTime].push_back(session.timedClick(pointB));
        journalTimes = nullptr;
        session.command(102);
        session.click(pointA);
        journalTimes = &result.journal[movePointTime];
        editTimes[movePointTime].push_back(session.timedClick(movedA));
        journalTimes = nullptr;
        session.command(104);
        const POINT onTheLine = {(movedA.x + pointB.x) / 2, (movedA.y + pointB.y) / 2};
        session.timed(WM_MOUSEMOVE, onTheLine);
        if (state.recordedLine != state.document.figure().lines.size() - 1) {
            std::fprintf(stderr, "the new line was not highlighted\n");
            return result;
        }
        journalTimes = &result.journal[deleteLineTime];
        editTimes[deleteLineTime].push_back(session.timedClick(onTheLine));
        journalTimes = nullptr;
        if (state.document.figure().lines.size() != figure.lines.size()) {
            std::fprintf(stderr, "the new line was not deleted\n");
            return result;
        }
        session.command(101);
        journalTimes = &result.journal[deletePointTime];
        editTimes[deletePointTime].push_back(session.timedClick(movedA));
        journalTimes = nullptr;
        session.command(101);
        session.click(pointB);
        // The deletion undone brings the point back, done again takes it.
        journalTimes = &result.journal[undoTime];
        editTimes[undoTime].push_back(session.timedCommand(static_cast<int>(Command::undo)));
        journalTimes = nullptr;
        journalTimes = &result.journal[redoTime];
        editTimes[redoTime].push_back(session.timedCommand(static_cast<int>(Command::redo)));
        journalTimes = nullptr;
        if (state.document.figure() != figure) {
            std::fprintf(stderr, "the edits did not leave the figure of %d points as it was\n", n);
            return result;
        }
    }
    for (Measure m :
         {addPointTime, deletePointTime, movePointTime, insertLineTime, deleteLineTime, undoTime, redoTime}) {
        result.ms[m] = median(editTimes[m]);
    }
    journalTimes = &result.journalUserCases;
    if (!runUserCases(window, state, figure, events, result.userCases)) {
        std::fprintf(stderr, "the user cases failed on the figure of %d points\n", n);
        return result;
    }
    journalTimes = nullptr;
    const std::string journal = fileBytes(journalPathFor(figureFilePath).c_str());

    const auto start = Clock::now();
    DestroyWindow(window);
    result.ms[saveTime] = millisecondsSince(start);
    pumpMessages();
    if (fileBytes(figureFilePath) != written) {
        std::fprintf(stderr, "the saved figure of %d points differs from the loaded one\n", n);
        return result;
    }
    if (!recoverAfterCrash(instance, journal, figure, result)) {
        std::fprintf(stderr, "the run on the figure of %d points was not recovered\n", n);
        return result;
    }
    result.ok = true;
    return result;
}

// One row a case, its median, 95th percentile and maximum for each figure
// size; a size whose run failed shows dashes.
void printUserCases(const std::vector<int32_t>& sizes, const std::vector<Result>& results, bool spread,
                    int events) {
    std::printf("\n%s figure, user cases over %d events, milliseconds\n", spread ? "spread" : "inside",
                events);
    std::printf("%-16s", "");
    for (int32_t n : sizes) {
        std::printf(" %23d", n);
    }
    std::printf("\n%-16s", "case");
    for (size_t k = 0; k < sizes.size(); ++k) {
        std::printf(" %7s %7s %7s", "median", "p95", "max");
    }
    std::printf("\n");
    for (int c = 0; c < userCaseCount; ++c) {
        std::printf("%-16s", userCaseNames[c]);
        for (const Result& r : results) {
            const std::vector<double>& times = r.userCases.ms[c];
            if (!r.ok || times.empty()) {
                std::printf(" %7s %7s %7s", "-", "-", "-");
            } else {
                std::printf(" %7.1f %7.1f %7.1f", median(times), percentile(times, 0.95),
                            percentile(times, 1.0));
            }
        }
        std::printf("\n");
    }
}

void printTimes(const std::vector<double>& times, bool ok) {
    if (!ok || times.empty()) {
        std::printf(" %7s %7s %7s", "-", "-", "-");
    } else {
        std::printf(" %7.3f %7.3f %7.3f", median(times), percentile(times, 0.95), percentile(times, 1.0));
    }
}

// The journal's part of each kind of step, and the recovery after a crash.
void printJournal(const std::vector<int32_t>& sizes, const std::vector<Result>& results) {
    std::printf("\nthe journal's record of each step, milliseconds\n%-16s", "");
    for (int32_t n : sizes) {
        std::printf(" %23d", n);
    }
    std::printf("\n%-16s", "step");
    for (size_t k = 0; k < sizes.size(); ++k) {
        std::printf(" %7s %7s %7s", "median", "p95", "max");
    }
    std::printf("\n");
    for (Measure m : journalledMeasures) {
        std::printf("%-16s", measureNames[m]);
        for (const Result& r : results) {
            printTimes(r.journal[m], r.ok);
        }
        std::printf("\n");
    }
    std::printf("%-16s", "user cases");
    for (const Result& r : results) {
        printTimes(r.journalUserCases, r.ok);
    }
    std::printf("\n\ncrash to the recovered figure's first paint, milliseconds\n");
    for (size_t k = 0; k < sizes.size(); ++k) {
        std::printf("%8d %9.1f  (%zu steps)\n", sizes[k], results[k].crashToRecoveredPaint,
                    results[k].recoveredSteps);
    }
}

}  // namespace

}  // namespace figury

using namespace figury;

int main(int argc, char** argv) {
    bool spread = false;
    int repeat = 5;
    int events = 30;
    std::vector<int32_t> sizes;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--spread") == 0) {
            spread = true;
        } else if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc) {
            repeat = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--events") == 0 && i + 1 < argc) {
            events = std::max(1, std::atoi(argv[++i]));
        } else {
            sizes.push_back(std::atoi(argv[i]));
        }
    }
    if (sizes.empty()) {
        sizes = {10000, 100000, 1000000};
    }

    namespace fs = std::filesystem;
    const fs::path folder =
        fs::temp_directory_path() / ("figury-window-bench-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(folder / "Dane");
    SetCurrentDirectoryA(folder.string().c_str());

    const HINSTANCE instance = GetModuleHandleA(nullptr);
    registerFiguryClass(instance);
    boxHook = SetWindowsHookExA(WH_CBT, answerBoxes, nullptr, GetCurrentThreadId());
    SetCursorPos(1270, 1010);  // real pointer motion would move the hover position

    std::printf("%s figure, medians of %d, milliseconds\n", spread ? "spread" : "inside", repeat);
    std::printf("%8s", "n");
    for (const char* name : measureNames) {
        std::printf(" %7s", name);
    }
    std::printf("\n");
    int failures = 0;
    std::vector<Result> results;
    for (int32_t n : sizes) {
        results.push_back(measure(instance, n, spread, repeat, events));
        const Result& r = results.back();
        failures += r.ok ? 0 : 1;
        std::printf("%8d", n);
        for (double ms : r.ms) {
            std::printf(" %7.1f", ms);
        }
        std::printf("\n");
        std::fflush(stdout);
    }
    printUserCases(sizes, results, spread, events);
    printJournal(sizes, results);

    UnhookWindowsHookEx(boxHook);
    SetCurrentDirectoryA(fs::temp_directory_path().string().c_str());
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return failures == 0 ? 0 : 1;
}
