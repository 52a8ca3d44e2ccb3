// The red highlights and the status text as pixels on screen.

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "e2e_fixture.h"

namespace figury {

namespace e2e {
namespace {

using HighlightTest = EditorTest;

bool noRed(const Image& i) {
    return redPixels(i) == 0;
}

// Rings B when the pointer is 5 pixels away in x or y, and nothing at 6.
void checkRingReach(EditorSession& session) {
    struct Step {
        int dx, dy;
        bool ringed;
    };
    const Step steps[] = {{5, 0, true},   {6, 0, false}, {0, -5, true},
                          {0, -6, false}, {-5, 5, true}, {-6, 5, false}};
    for (const Step& s : steps) {
        SCOPED_TRACE(::testing::Message() << "pointer at B + (" << s.dx << ", " << s.dy << ")");
        ASSERT_TRUE(session.hover(kBx + s.dx, kBy + s.dy));
        Image shown;
        if (s.ringed) {
            ASSERT_TRUE(session.shows([](const Image& i) { return pointRinged(i, kBx, kBy); }, &shown));
            // One ring, around the point and not the pointer.
            EXPECT_FALSE(pointRinged(shown, kAx, kAy));
            EXPECT_LT(redPixels(shown), 60);
        } else {
            ASSERT_TRUE(session.shows(noRed, &shown));
            EXPECT_TRUE(pointMarked(shown, kBx, kBy));
        }
    }
}

TEST_F(HighlightTest, PointRingReachesFivePixelsButNotSixInEveryPointPickingMode) {
    startOnSquare();
    const struct {
        Command command;
        const std::wstring& prompt;
    } modes[] = {
        {kDeletePoint, kPromptDeletePoint}, {kMovePoint, kPromptMovePoint}, {kInsertLine, kPromptInsertLine}};
    for (const auto& m : modes) {
        SCOPED_TRACE(m.command);
        ASSERT_TRUE(session_.clickButton(m.command));
        ASSERT_TRUE(session_.statusIs(m.prompt));
        checkRingReach(session_);
        if (HasFatalFailure()) {
            return;
        }
    }
    SCOPED_TRACE("second point of a line");
    ASSERT_TRUE(session_.press(kDx, kDy));
    ASSERT_TRUE(session_.statusIs(kPromptSecondPoint));
    ASSERT_TRUE(session_.release(kDx, kDy));
    checkRingReach(session_);
    if (HasFatalFailure()) {
        return;
    }
    closeNormally();
    EXPECT_EQ(readData(), savedFile(kSquarePoints, kSquareLines));
}

TEST_F(HighlightTest, LineNearThePointerTurnsThickRedInDeleteLineModeOnly) {
    startOnSquare();
    ASSERT_TRUE(session_.clickButton(kDeleteLine));
    ASSERT_TRUE(session_.statusIs(kPromptDeleteLine));
    const int mx = (kAx + kBx) / 2;
    Image shown;
    ASSERT_TRUE(session_.hover(mx, kAy + 10));
    ASSERT_TRUE(session_.shows([&](const Image& i) { return redAcross(i, mx, kAy, true) == 3; }, &shown))
        << "AB thick and red with the pointer 10 pixels below it";
    EXPECT_EQ(redAcross(shown, kAx + 20, kAy, true), 3);
    EXPECT_EQ(redAcross(shown, kBx, (kBy + kCy) / 2, false), 0) << "BC is far";
    EXPECT_EQ(redAcross(shown, mx, kCy, true), 0) << "CD is far";
    ASSERT_TRUE(session_.hover(mx, kAy + 11));
    EXPECT_TRUE(session_.shows(noRed, &shown)) << "11 pixels is too far";
    EXPECT_EQ(shown.pixel(mx, kAy), kBlack);
    // Beyond the end of the line, on its extension, is not near either.
    ASSERT_TRUE(session_.hover(mx, kAy - 3));
    ASSERT_TRUE(session_.shows([&](const Image& i) { return redAcross(i, mx, kAy, true) == 3; }));
    ASSERT_TRUE(session_.hover(kBx + 30, kBy - 3));
    EXPECT_TRUE(session_.shows(noRed));
    closeNormally();
}

TEST_F(HighlightTest, ALineWithEndsFarOutsideTheWindowTurnsRedAndIsTheOneDeleted) {
    // y = x + 100 across the window, its ends 10^8 pixels out.
    writeData("PUNKTY 4\n-100000000 -99999900\n100000000 100000100\n200 450\n600 450\nLINIE 2\n1 2\n3 4\n");
    ASSERT_TRUE(session_.startAndGreet(workDir_));
    ASSERT_TRUE(session_.clickButton(kDeleteLine));
    ASSERT_TRUE(session_.statusIs(kPromptDeleteLine));
    ASSERT_TRUE(session_.hover(300, 406));
    Image shown;
    EXPECT_TRUE(session_.shows(
        [](const Image& i) { return redAcross(i, 100, 200, true) >= 3 && redAcross(i, 400, 500, true) >= 3; },
        &shown))
        << "the far line thick and red";
    EXPECT_EQ(redAcross(shown, 550, 450, true), 0);
    ASSERT_TRUE(session_.click(300, 406));
    ASSERT_TRUE(session_.statusIs(kLineDeleted, &shown));
    EXPECT_EQ(shown.pixel(550, 450), kBlack);

    closeNormally();
    EXPECT_EQ(readData(),
              savedFile({{-100000000, -99999900}, {100000000, 100000100}, {200, 450}, {600, 450}}, {{3, 4}}));
}

TEST_F(HighlightTest, NothingIsHighlightedWhileNoPickIsAwaited) {
    startOnSquare();
    // Ring A in mode 2, so that the pointer position the editor remembers is on A.
    ASSERT_TRUE(session_.clickButton(kDeletePoint));
    ASSERT_TRUE(session_.statusIs(kPromptDeletePoint));
    ASSERT_TRUE(session_.hover(kAx, kAy));
    ASSERT_TRUE(session_.shows([](const Image& i) { return pointRinged(i, kAx, kAy); }));

    // Mode 1: the repaint that shows its prompt draws no ring, nor do moves over A.
    ASSERT_TRUE(session_.clickButton(kInsertPoint));
    Image shown;
    ASSERT_TRUE(session_.statusIs(kPromptInsertPoint, &shown));
    EXPECT_EQ(redPixels(shown), 0) << "mode 1";
    const int paintsBefore = session_.paints();
    ASSERT_TRUE(session_.hover(kAx + 1, kAy));
    ASSERT_TRUE(session_.hover(kAx, kAy));
    EXPECT_EQ(session_.paints(), paintsBefore) << "moves in mode 1 repaint nothing";
    EXPECT_EQ(redPixels(session_.shown()), 0) << "mode 1 after moves";

    // Mode 0 after the point went in.
    ASSERT_TRUE(session_.click(kAx, kAy));
    ASSERT_TRUE(session_.statusIs(kPointAdded, &shown));
    EXPECT_EQ(redPixels(shown), 0) << "mode 0";

    // Mode 4 after picking C for a move, mode 5 after the release.
    ASSERT_TRUE(session_.clickButton(kMovePoint));
    ASSERT_TRUE(session_.statusIs(kPromptMovePoint));
    ASSERT_TRUE(session_.press(kCx, kCy));
    ASSERT_TRUE(session_.statusIs(kPromptDestination, &shown));
    EXPECT_EQ(redPixels(shown), 0) << "mode 4";
    ASSERT_TRUE(session_.release(kCx, kCy));
    const int paintsInMode5 = session_.paints();
    ASSERT_TRUE(session_.hover(kCx + 2, kCy));
    EXPECT_EQ(session_.paints(), paintsInMode5) << "moves in mode 5 repaint nothing";
    // Uncover the window as another window would, so that it paints in mode 5.
    RedrawWindow(session_.window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
    shown = session_.shown("mode 5 uncovered");
    EXPECT_NE(session_.paints(), paintsInMode5);
    EXPECT_EQ(redPixels(shown), 0) << "mode 5";
    EXPECT_TRUE(statusShows(shown, kPromptDestination));

    // Mode 7 after picking D for a line.
    ASSERT_TRUE(session_.clickButton(kInsertLine));
    ASSERT_TRUE(session_.statusIs(kPromptInsertLine));
    ASSERT_TRUE(session_.press(kDx, kDy));
    ASSERT_TRUE(session_.statusIs(kPromptSecondPoint, &shown));
    EXPECT_EQ(redPixels(shown), 0) << "mode 7";
    ASSERT_TRUE(session_.release(kDx, kDy));
    closeNormally();
}

TEST_F(HighlightTest, EveryPromptIsDrawnWithItsPolishLetters) {
    startOnSquare();
    const struct {
        Command command;
        const std::wstring& prompt;
    } commands[] = {{kInsertPoint, kPromptInsertPoint},
                    {kDeletePoint, kPromptDeletePoint},
                    {kMovePoint, kPromptMovePoint},
                    {kInsertLine, kPromptInsertLine},
                    {kDeleteLine, kPromptDeleteLine}};
    for (const auto& c : commands) {
        SCOPED_TRACE(c.command);
        ASSERT_TRUE(session_.clickButton(c.command));
        Image shown;
        EXPECT_TRUE(session_.statusIs(c.prompt, &shown));
        // The text covers what lies under it with its white background.
        EXPECT_TRUE(statusShows(shown, c.prompt));
    }
    closeNormally();
}

// The figure shipped as the example, parsed as the editor writes it.
bool readExample(const std::string& file, Points* points, Lines* lines) {
    std::ifstream in(file);
    std::string word;
    int n = 0;
    if (!(in >> word >> n) || word != "PUNKTY") {
        return false;
    }
    for (int i = 0; i < n; ++i) {
        int x = 0, y = 0;
        in >> x >> y;
        points->push_back({x, y});
    }
    if (!(in >> word >> n) || word != "LINIE") {
        return false;
    }
    for (int i = 0; i < n; ++i) {
        int a = 0, b = 0;
        in >> a >> b;
        lines->push_back({a, b});
    }
    return static_cast<bool>(in);
}

// Also leaves the picture for the README when FIGURY_SCREENSHOT names a file.
TEST_F(HighlightTest, ExampleFigureLoadsAndHighlightsItsLongestLine) {
    std::string example = toWindowsPath(FIGURY_SOURCE_DIR "/examples/house.obj");
    Points points;
    Lines lines;
    ASSERT_TRUE(readExample(example, &points, &lines)) << example;
    ASSERT_FALSE(lines.empty());
    std::ifstream in(example, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    writeData(bytes.str());
    ASSERT_TRUE(session_.startAndGreet(workDir_));

    double longest = 0;
    int ax = 0, ay = 0, bx = 0, by = 0;
    for (const auto& l : lines) {
        const auto& a = points.at(static_cast<std::size_t>(l.first - 1));
        const auto& b = points.at(static_cast<std::size_t>(l.second - 1));
        double length = std::hypot(b.first - a.first, b.second - a.second);
        if (length > longest) {
            longest = length;
            ax = a.first;
            ay = a.second;
            bx = b.first;
            by = b.second;
        }
    }
    ASSERT_TRUE(session_.clickButton(kDeleteLine));
    ASSERT_TRUE(session_.statusIs(kPromptDeleteLine));
    // Two pixels beside the middle of the line.
    int mx = (ax + bx) / 2 + (by != ay ? 2 : 0);
    int my = (ay + by) / 2 + (by == ay ? 2 : 0);
    ASSERT_TRUE(session_.hover(mx, my));
    ASSERT_TRUE(session_.shows([](const Image& i) { return redPixels(i) > 40; }));
    if (const char* out = std::getenv("FIGURY_SCREENSHOT")) {
        RECT frame{};
        GetWindowRect(session_.window(), &frame);
        EXPECT_TRUE(writePng(toWindowsPath(out), captureScreen(frame))) << out;
    }
    ASSERT_TRUE(session_.hover(mx, my + 200 < 560 ? my + 200 : my - 200));
    closeNormally();
    EXPECT_EQ(readData(), savedFile(points, lines)) << "the example is in the editor's own format";
}

}  // namespace
}  // namespace e2e

}  // namespace figury
