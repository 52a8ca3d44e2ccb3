#include <climits>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "editor_test_support.h"
#include "view.h"

namespace {

// Writes down every drawing call, one string a call.
class RecordingCanvas : public Canvas {
public:
    std::vector<std::string> calls;

    void ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) override {
        add("ellipse", {left, top, right, bottom});
    }
    void moveTo(int32_t x, int32_t y) override { add("moveTo", {x, y}); }
    void lineTo(int32_t x, int32_t y) override { add("lineTo", {x, y}); }
    void textOut(int32_t x, int32_t y, const char* text, int length) override {
        add("text", {x, y, length});
        calls.back() += " " + std::string(text, static_cast<size_t>(length));
    }
    void createHighlightPen(int width) override { add("pen", {width}); }
    void selectHighlightPen() override { calls.push_back("select"); }

private:
    void add(const char* name, std::initializer_list<int32_t> values) {
        std::string call = name;
        for (int32_t v : values) call += " " + std::to_string(v);
        calls.push_back(call);
    }
};

using Calls = std::vector<std::string>;

struct Paint {
    Calls calls;
    std::optional<int32_t> lineToDelete;
};

Paint paint(const Figure& figure, int mode, int32_t x, int32_t y, const char* status = "",
            std::optional<int32_t> lineToDelete = std::nullopt) {
    EditorState state;
    state.editMode = mode;
    state.lineToDelete = lineToDelete;
    std::snprintf(state.statusText, sizeof state.statusText, "%s", status);
    RecordingCanvas canvas;
    paintFigureView(canvas, figure, x, y, state);
    EXPECT_EQ(0, state.selectionIndex) << "a paint never picks a point";
    return {canvas.calls, state.lineToDelete};
}

const Calls pathDrawing = {
    "ellipse 98 98 102 102", "ellipse 198 98 202 102", "ellipse 148 198 152 202",
    "moveTo 100 100",        "lineTo 200 100",         "moveTo 200 100",
    "lineTo 150 200",
};

Calls plus(Calls first, const Calls& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

TEST(FigureView, AnEmptyFigureWithoutStatusDrawsNothing) {
    EXPECT_EQ(Calls{}, paint(Figure{}, modeIdle, 0, 0).calls);
    // The highlight pen is made but has nothing to outline.
    EXPECT_EQ(Calls{"pen 1"}, paint(Figure{}, modeDeletePoint, 0, 0).calls);
    EXPECT_EQ(Calls{"pen 3"}, paint(Figure{}, modeDeleteLine, 0, 0).calls);
}

TEST(FigureView, PointsThenLinesThenTextThenHighlight) {
    const Paint result = paint(pathFigure(), modeDeletePoint, 195, 105, "Usuni\xEAto");
    EXPECT_EQ(plus(pathDrawing, {"text 10 35 8 Usuni\xEAto", "pen 1", "select",
                                 "ellipse 195 95 205 105"}),
              result.calls);
}

TEST(FigureView, EachModeHighlightsWhatItPicks) {
    // The pointer rests beside the second point, near both lines that end there.
    const Calls ring = {"pen 1", "select", "ellipse 195 95 205 105"};
    const Calls thickLines = {"pen 3", "select", "moveTo 100 100", "lineTo 200 100",
                              "select", "moveTo 200 100", "lineTo 150 200"};
    for (int mode : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}) {
        SCOPED_TRACE(mode);
        const Paint result = paint(pathFigure(), mode, 195, 101);
        Calls expected = pathDrawing;
        if (mode == 2 || mode == 3 || mode == 6 || mode == 8) {
            expected = plus(pathDrawing, ring);
        }
        if (mode == 10) {
            expected = plus(pathDrawing, thickLines);
        }
        EXPECT_EQ(expected, result.calls);
    }
    EXPECT_EQ(4, paint(pathFigure(), modeDeleteLine, 195, 101).lineToDelete);

    const Paint nearFirst = paint(pathFigure(), modeDeleteLine, 150, 103, "", 4);
    EXPECT_EQ(plus(pathDrawing, {"pen 3", "select", "moveTo 100 100", "lineTo 200 100"}),
              nearFirst.calls);
    EXPECT_EQ(0, nearFirst.lineToDelete);
}

TEST(FigureView, TheRingReachesFivePixelsNotSix) {
    struct Row {
        int32_t x, y;
        bool ringed;
    };
    const Row rows[] = {{105, 100, true},  {95, 100, true},  {100, 105, true}, {105, 95, true},
                        {106, 100, false}, {94, 100, false}, {100, 106, false}, {100, 94, false}};
    const Figure figure = figureOf({100, 100});
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.x) + "," + std::to_string(row.y));
        Calls expected = {"ellipse 98 98 102 102", "pen 1"};
        if (row.ringed) {
            expected = plus(expected, {"select", "ellipse 95 95 105 105"});
        }
        EXPECT_EQ(expected, paint(figure, modeMovePick, row.x, row.y).calls);
    }
}

TEST(FigureView, EveryPointUnderThePointerIsRinged) {
    const Figure figure = figureOf({10, 10, 300, 300, 14, 12, 10, 10});
    EXPECT_EQ((Calls{"ellipse 8 8 12 12", "ellipse 298 298 302 302", "ellipse 12 10 16 14",
                     "ellipse 8 8 12 12", "pen 1", "select", "ellipse 5 5 15 15", "select",
                     "ellipse 9 7 19 17", "select", "ellipse 5 5 15 15"}),
              paint(figure, modeLineSecond, 12, 12).calls);
}

TEST(FigureView, TheLastNearLineIsRecordedForDeletion) {
    // Two parallel lines 4 pixels apart, a far one, and one more near the first two.
    const Figure figure = figureOf({}, {0, 100, 200, 100, 0, 104, 200, 104, 0, 300, 200, 300,
                                        50, 96, 150, 96});
    const Paint threeNear = paint(figure, modeDeleteLine, 100, 102);
    EXPECT_EQ(12, threeNear.lineToDelete);
    EXPECT_EQ(plus(Calls{"moveTo 0 100", "lineTo 200 100", "moveTo 0 104", "lineTo 200 104",
                         "moveTo 0 300", "lineTo 200 300", "moveTo 50 96", "lineTo 150 96"},
                   {"pen 3", "select", "moveTo 0 100", "lineTo 200 100", "select", "moveTo 0 104",
                    "lineTo 200 104", "select", "moveTo 50 96", "lineTo 150 96"}),
              threeNear.calls);
    EXPECT_EQ(8, paint(figure, modeDeleteLine, 100, 299).lineToDelete);
    // Near no line: the last recorded line stays recorded, and nothing may stay nothing.
    EXPECT_EQ(8, paint(figure, modeDeleteLine, 100, 200, "", 8).lineToDelete);
    EXPECT_EQ(std::nullopt, paint(figure, modeDeleteLine, 100, 200).lineToDelete);
    // Only the line highlight records anything.
    EXPECT_EQ(std::nullopt, paint(figure, modeDeletePoint, 100, 102).lineToDelete);
    EXPECT_EQ(2, paint(figure, modeLineSecond, 100, 102, "", 2).lineToDelete);
}

TEST(FigureView, ACanvasGetsAllMarksAndAllLinesInOneCallEachWithinTheCounts) {
    // A canvas that draws in batches must never be handed more than the sequences hold.
    class BatchCanvas : public RecordingCanvas {
    public:
        void pointMarks(const int32_t* points, size_t count, int32_t reach) override {
            calls.push_back("marks " + std::to_string(count) + " reach " + std::to_string(reach) +
                            (count > 0 ? " from " + std::to_string(points[0]) : ""));
        }
        void lines(const int32_t* ends, size_t count) override {
            calls.push_back("lines " + std::to_string(count) +
                            (count > 0 ? " from " + std::to_string(ends[0]) : ""));
        }
    };
    struct Row {
        int32_t pointCount, lineCount;
        Calls expected;
    };
    const Row rows[] = {
        {3, 2, {"marks 3 reach 2 from 100", "lines 2 from 100"}},
        {1, 1, {"marks 1 reach 2 from 100", "lines 1 from 100"}},
        {9, 7, {"marks 3 reach 2 from 100", "lines 2 from 100"}},
        {-1, -5, {"marks 0 reach 2", "lines 0"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.pointCount) + " points, " + std::to_string(row.lineCount) +
                     " lines");
        Figure figure = pathFigure();
        figure.pointCount = row.pointCount;
        figure.lineCount = row.lineCount;
        EditorState state;
        BatchCanvas canvas;
        paintFigureView(canvas, figure, 0, 0, state);
        EXPECT_EQ(row.expected, canvas.calls);
    }
}

TEST(FigureView, MarksAtTheEdgesOfTheCoordinateRangeDoNotWrap) {
    const Figure figure = figureOf({INT32_MAX, INT32_MIN});
    EXPECT_EQ((Calls{"ellipse 2147483645 -2147483648 2147483647 -2147483646", "pen 1", "select",
                     "ellipse 2147483642 -2147483648 2147483647 -2147483643"}),
              paint(figure, modeDeletePoint, INT32_MAX, INT32_MIN).calls);
}

}  // namespace
