#include <climits>
#include <optional>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "editor/modes.h"
#include "editor/view.h"
#include "support/figures.h"

namespace figury {

namespace {

using testing_support::figureOf;
using testing_support::pathFigure;

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
        for (int32_t v : values)
            call += " " + std::to_string(v);
        calls.push_back(call);
    }
};

using Calls = std::vector<std::string>;

// A paint as the window makes it: the highlight for the hover position is
// recorded, then drawn.
struct Paint {
    Calls calls;
    std::optional<size_t> recordedLine;
};

Paint paint(const Figure& figure, int mode, int32_t x, int32_t y, const char* status = "",
            std::optional<size_t> recordedLine = std::nullopt) {
    EditorState state;
    state.document.replace(figure);
    state.editMode = static_cast<EditMode>(mode);
    state.hoverX = x;
    state.hoverY = y;
    state.recordedLine = recordedLine;
    state.statusText = status;
    const Highlight highlight = highlightFor(state);
    recordHighlightedLine(state, highlight);
    RecordingCanvas canvas;
    paintFigureView(canvas, state, highlight);
    return {canvas.calls, state.recordedLine};
}

const Calls pathDrawing = {
    "ellipse 98 98 102 102", "ellipse 198 98 202 102", "ellipse 148 198 152 202", "moveTo 100 100",
    "lineTo 200 100",        "moveTo 200 100",         "lineTo 150 200",
};

Calls plus(Calls first, const Calls& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

TEST(FigureView, AnEmptyFigureWithoutStatusDrawsNothing) {
    EXPECT_EQ(Calls{}, paint(Figure{}, 0, 0, 0).calls);
    // The highlight pen is made but has nothing to outline.
    EXPECT_EQ(Calls{"pen 1"}, paint(Figure{}, 2, 0, 0).calls);
    EXPECT_EQ(Calls{"pen 3"}, paint(Figure{}, 10, 0, 0).calls);
}

TEST(FigureView, PointsThenLinesThenTextThenHighlight) {
    const Paint result = paint(pathFigure(), 2, 195, 105, "Usuni\xEAto");
    EXPECT_EQ(plus(pathDrawing, {"text 10 35 8 Usuni\xEAto", "pen 1", "select", "ellipse 195 95 205 105"}),
              result.calls);
}

TEST(FigureView, EachModeHighlightsWhatItPicks) {
    // The pointer rests beside the second point, near both lines that end there.
    const Calls ring = {"pen 1", "select", "ellipse 195 95 205 105"};
    const Calls thickLines = {"pen 3",  "select",         "moveTo 100 100", "lineTo 200 100",
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
    EXPECT_EQ(1u, paint(pathFigure(), 10, 195, 101).recordedLine);

    const Paint nearFirst = paint(pathFigure(), 10, 150, 103, "", 1);
    EXPECT_EQ(plus(pathDrawing, {"pen 3", "select", "moveTo 100 100", "lineTo 200 100"}), nearFirst.calls);
    EXPECT_EQ(0u, nearFirst.recordedLine);
}

TEST(FigureView, TheRingReachesFivePixelsNotSix) {
    struct Row {
        int32_t x, y;
        bool ringed;
    };
    const Row rows[] = {{105, 100, true},  {95, 100, true},  {100, 105, true},  {105, 95, true},
                        {106, 100, false}, {94, 100, false}, {100, 106, false}, {100, 94, false}};
    const Figure figure = figureOf({100, 100});
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.x) + "," + std::to_string(row.y));
        Calls expected = {"ellipse 98 98 102 102", "pen 1"};
        if (row.ringed) {
            expected = plus(expected, {"select", "ellipse 95 95 105 105"});
        }
        EXPECT_EQ(expected, paint(figure, 3, row.x, row.y).calls);
    }
}

TEST(FigureView, EveryPointUnderThePointerIsRinged) {
    const Figure figure = figureOf({10, 10, 300, 300, 14, 12, 10, 10});
    EXPECT_EQ((Calls{"ellipse 8 8 12 12", "ellipse 298 298 302 302", "ellipse 12 10 16 14",
                     "ellipse 8 8 12 12", "pen 1", "select", "ellipse 5 5 15 15", "select",
                     "ellipse 9 7 19 17", "select", "ellipse 5 5 15 15"}),
              paint(figure, 8, 12, 12).calls);
}

TEST(FigureView, TheLastNearLineIsRecordedForDeletion) {
    // Two parallel lines 4 pixels apart, a far one, and one more near the first two.
    const Figure figure =
        figureOf({}, {0, 100, 200, 100, 0, 104, 200, 104, 0, 300, 200, 300, 50, 96, 150, 96});
    const Paint threeNear = paint(figure, 10, 100, 102);
    EXPECT_EQ(3u, threeNear.recordedLine);
    EXPECT_EQ(plus(Calls{"moveTo 0 100", "lineTo 200 100", "moveTo 0 104", "lineTo 200 104", "moveTo 0 300",
                         "lineTo 200 300", "moveTo 50 96", "lineTo 150 96"},
                   {"pen 3", "select", "moveTo 0 100", "lineTo 200 100", "select", "moveTo 0 104",
                    "lineTo 200 104", "select", "moveTo 50 96", "lineTo 150 96"}),
              threeNear.calls);
    EXPECT_EQ(2u, paint(figure, 10, 100, 299).recordedLine);
    // Near no line: the last recorded line stays recorded, and nothing may stay nothing.
    EXPECT_EQ(2u, paint(figure, 10, 100, 200, "", 2).recordedLine);
    EXPECT_EQ(std::nullopt, paint(figure, 10, 100, 200).recordedLine);
    // Only the line highlight records anything.
    EXPECT_EQ(std::nullopt, paint(figure, 2, 100, 102).recordedLine);
    EXPECT_EQ(2u, paint(figure, 8, 100, 102, "", 2).recordedLine);
}

TEST(FigureView, ACanvasGetsAllMarksAndAllLinesInOneCallEach) {
    class BatchCanvas : public RecordingCanvas {
    public:
        void pointMarks(const Point* points, size_t count, int32_t reach) override {
            calls.push_back("marks " + std::to_string(count) + " reach " + std::to_string(reach) + " from " +
                            std::to_string(points[0].x));
        }
        void lines(const Line* lines, size_t count) override {
            calls.push_back("lines " + std::to_string(count) + " from " + std::to_string(lines[0].first.x));
        }
    };
    EditorState state;
    state.document.replace(pathFigure());
    BatchCanvas canvas;
    paintFigureView(canvas, state, highlightFor(state));
    EXPECT_EQ((Calls{"marks 3 reach 2 from 100", "lines 2 from 100"}), canvas.calls);
}

TEST(FigureView, MarksAtTheEdgesOfTheCoordinateRangeDoNotWrap) {
    const Figure figure = figureOf({INT32_MAX, INT32_MIN});
    EXPECT_EQ((Calls{"ellipse 2147483645 -2147483648 2147483647 -2147483646", "pen 1", "select",
                     "ellipse 2147483642 -2147483648 2147483647 -2147483643"}),
              paint(figure, 2, INT32_MAX, INT32_MIN).calls);
}

}  // namespace

}  // namespace figury
