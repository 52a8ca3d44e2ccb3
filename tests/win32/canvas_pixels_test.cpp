// The window's canvas culls, batches and stamps, and the window keeps a
// picture of the figure that edits repair in place; these tests hold both to
// the pixels of the plain drawing, one GDI call per shape, on the same figures.

#include <windows.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "figure/figure_file.h"
#include "render/thin_pen_pixels.h"
#include "render/wide_pen_pixels.h"
#include "editor/win32/gdi/counted_lines_check.h"
#include "editor/win32/figure_image.h"
#include "editor/win32/gdi/gdi_canvas.h"
#include "editor/win32/gdi/pixel_buffer.h"
#include "editor/win32/main_window.h"
#include "editor/commands.h"
#include "editor/win32/gdi/polish_text.h"
#include "editor/modes.h"
#include "editor/view.h"
#include "window_fixture.h"

namespace figury {

namespace {

constexpr int clientWidth = 794;
constexpr int clientHeight = 575;

// One call per shape, as the window drew before it learnt to batch; a line
// touching too far out for GDI is cut first, as the window cuts it.
class PlainGdiCanvas final : public Canvas {
public:
    explicit PlainGdiCanvas(HDC dc) : dc_(dc) {}
    ~PlainGdiCanvas() override { releasePen(); }
    PlainGdiCanvas(const PlainGdiCanvas&) = delete;
    PlainGdiCanvas& operator=(const PlainGdiCanvas&) = delete;

    void ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) override {
        Ellipse(dc_, left, top, right, bottom);
    }
    void moveTo(int32_t x, int32_t y) override { MoveToEx(dc_, x, y, nullptr); }
    void lineTo(int32_t x, int32_t y) override {
        POINT from;
        GetCurrentPositionEx(dc_, &from);
        drawLine(dc_, from.x, from.y, x, y);
    }
    void textOut(int32_t x, int32_t y, const char* text, int length) override {
        drawText(dc_, x, y, text, length);
    }
    void createHighlightPen(int width) override {
        releasePen();
        pen_ = CreatePen(PS_SOLID, width, RGB(255, 0, 0));
    }
    void selectHighlightPen() override {
        HGDIOBJ before = SelectObject(dc_, pen_);
        if (penBefore_ == nullptr)
            penBefore_ = before;
    }

private:
    void releasePen() {
        if (penBefore_ != nullptr)
            SelectObject(dc_, penBefore_);
        if (pen_ != nullptr)
            DeleteObject(pen_);
        penBefore_ = nullptr;
        pen_ = nullptr;
    }

    HDC dc_;
    HPEN pen_ = nullptr;
    HGDIOBJ penBefore_ = nullptr;
};

// A buffer of the client area's size.
PixelBuffer clientBuffer(int bitsPerPixel) {
    return PixelBuffer(nullptr, clientWidth, clientHeight, bitsPerPixel);
}

// The bytes of a buffer's rows, once GDI has finished drawing them.
std::vector<uint8_t> bytesOf(const PixelBuffer& buffer) {
    GdiFlush();
    const uint8_t* first = buffer.bytes();
    if (first == nullptr) {
        ADD_FAILURE() << "no buffer to read";
        return {};
    }
    return {first, first + static_cast<size_t>(buffer.rowBytes()) * static_cast<size_t>(buffer.height())};
}

::testing::AssertionResult samePixels(const std::vector<uint8_t>& plain, const std::vector<uint8_t>& fast,
                                      int stride) {
    if (plain.size() != fast.size()) {
        return ::testing::AssertionFailure() << "sizes differ";
    }
    size_t differing = 0;
    size_t first = 0;
    for (size_t i = 0; i < plain.size(); ++i) {
        if (plain[i] != fast[i] && differing++ == 0) {
            first = i;
        }
    }
    if (differing == 0) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << differing << " bytes differ from the plain drawing, the first in row "
           << first / static_cast<size_t>(stride) << " at byte " << first % static_cast<size_t>(stride);
}

void addLineBetween(Figure& figure, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    figure.points.push_back({x1, y1});
    figure.points.push_back({x2, y2});
    figure.lines.push_back({{x1, y1}, {x2, y2}});
}

// Enough points to be stamped, in and around the client area: marks cut by
// every edge, a crowd of overlapping marks, lines inside, lines leaving the
// area and lines crossing it with both ends outside.
Figure mixedFigure(bool extremes) {
    std::mt19937 random(7);
    auto between = [&random](int32_t low, int32_t high) {
        return low + static_cast<int32_t>(random() % static_cast<uint32_t>(high - low));
    };
    Figure figure;
    auto point = [&figure](int32_t x, int32_t y) { figure.points.push_back({x, y}); };
    for (int k = 0; k < 1500; ++k)
        point(between(-40, clientWidth + 40), between(-40, clientHeight + 40));
    for (int32_t d = -4; d <= 4; ++d) {
        point(d, 200);
        point(clientWidth - 1 + d, 300);
        point(400, d);
        point(300, clientHeight - 1 + d);
    }
    for (int k = 0; k < 60; ++k)
        point(between(200, 207), between(150, 157));
    for (int k = 0; k < 300; ++k)
        point(between(-3000, 3000), between(-3000, 3000));
    if (extremes) {
        point(50, INT32_MAX - 1);
        point(INT32_MIN, 5);
        point(INT32_MAX, INT32_MAX);
    }
    const size_t points = figure.points.size();
    for (int k = 0; k < 700; ++k) {
        const Point first = figure.points[random() % points];
        figure.lines.push_back({first, figure.points[random() % points]});
    }
    addLineBetween(figure, -100, 300, 900, 250);
    addLineBetween(figure, -10, 30, 30, -10);                   // cuts the top left corner
    addLineBetween(figure, 770, -20, 810, 20);                  // cuts the top right corner
    addLineBetween(figure, 780, -20, 820, 20);                  // passes it by, though its box overlaps
    addLineBetween(figure, -50, -1, 900, -1);                   // a row above the area
    addLineBetween(figure, -50, 0, 900, 0);                     // the area's first row
    addLineBetween(figure, clientWidth, -9, clientWidth, 600);  // a column right of it
    addLineBetween(figure, -5000, 100, -4000, 400);
    if (extremes) {
        addLineBetween(figure, INT32_MIN, 100, INT32_MAX, 100);
        addLineBetween(figure, -2000000000, -10, 2000000000, -10);
        addLineBetween(figure, 10, 10, INT32_MAX, INT32_MAX);
        addLineBetween(figure, 271, 296, 523921027, 961795440);
    }
    return figure;
}

Figure smallFigure() {
    Figure figure;
    addLineBetween(figure, 100, 100, 300, 120);
    addLineBetween(figure, -3, 50, 2, 52);
    addLineBetween(figure, 0, 0, 0, 0);
    addLineBetween(figure, -200, 500, 1000, 10);
    return figure;
}

using Setup = std::function<void(HDC)>;

void stripes(HDC dc) {
    PatBlt(dc, 0, 0, clientWidth, clientHeight, WHITENESS);
    HBRUSH rose = CreateSolidBrush(RGB(200, 30, 90));
    HBRUSH leaf = CreateSolidBrush(RGB(10, 160, 40));
    for (int y = 0; y < clientHeight; y += 9) {
        RECT row = {0, y, clientWidth, y + 3};
        FillRect(dc, &row, rose);
    }
    for (int x = 0; x < clientWidth; x += 13) {
        RECT column = {x, 0, x + 2, clientHeight};
        FillRect(dc, &column, leaf);
    }
    DeleteObject(rose);
    DeleteObject(leaf);
}

void white(HDC dc) {
    PatBlt(dc, 0, 0, clientWidth, clientHeight, WHITENESS);
}

struct Context {
    const char* name;
    int bitsPerPixel;
    Setup background;
    Setup prepare;
    bool takesPicture = true;  // as a paint's context can be, to copy the window's picture onto
};

const Context contexts[] = {
    {"fresh, 32 bits", 32, white, [](HDC) {}},
    {"fresh over stripes", 32, stripes, [](HDC) {}},
    {"fresh, 24 bits", 24, stripes, [](HDC) {}},
    {"fresh, 16 bits", 16, stripes, [](HDC) {}},
    {"clipped to a rectangle", 32, stripes, [](HDC dc) { IntersectClipRect(dc, 100, 80, 420, 301); }},
    {"clipped to two rectangles", 32, stripes,
     [](HDC dc) {
         HRGN both = CreateRectRgn(0, 0, 150, 90);
         HRGN second = CreateRectRgn(600, 400, 794, 575);
         CombineRgn(both, both, second, RGN_OR);
         SelectClipRgn(dc, both);
         DeleteObject(second);
         DeleteObject(both);
     }},
    {"clipped to nothing", 32, stripes, [](HDC dc) { IntersectClipRect(dc, 5, 5, 5, 5); }},
    // The picture holds the client area only; a paint's origin is its corner.
    {"moved origin", 32, stripes, [](HDC dc) { SetViewportOrgEx(dc, 37, -21, nullptr); }, false},
    {"xor", 32, stripes, [](HDC dc) { SetROP2(dc, R2_XORPEN); }, false},
    {"gray brush", 32, white, [](HDC dc) { SelectObject(dc, GetStockObject(GRAY_BRUSH)); }, false},
};

EditorState stateOf(const Figure& figure, int mode, int32_t x, int32_t y) {
    EditorState state;
    state.document.replace(figure);
    state.editMode = static_cast<EditMode>(mode);
    state.hoverX = x;
    state.hoverY = y;
    state.statusText = "Usuwanie linii - Wska\xBF linie";
    return state;
}

// The paint of the state on a context set up as given; erased first as the
// class brush would, when asked.
template <class CanvasType>
std::vector<uint8_t> paintOn(const Context& context, const EditorState& state, bool erase = false) {
    PixelBuffer buffer = clientBuffer(context.bitsPerPixel);
    context.background(buffer.dc());
    const int saved = SaveDC(buffer.dc());
    context.prepare(buffer.dc());
    if (erase) {
        const RECT client = {0, 0, clientWidth, clientHeight};
        FillRect(buffer.dc(), &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    {
        CanvasType canvas(buffer.dc());
        paintFigureView(canvas, state, highlightFor(state));
    }
    RestoreDC(buffer.dc(), saved);
    return bytesOf(buffer);
}

// The same state painted as the window paints: through its picture of the
// figure, which keeps what earlier paints drew and takes the state's damage.
std::vector<uint8_t> paintThrough(FigureImage& image, const Context& context, EditorState& state) {
    PixelBuffer buffer = clientBuffer(context.bitsPerPixel);
    context.background(buffer.dc());
    const int saved = SaveDC(buffer.dc());
    context.prepare(buffer.dc());
    const Highlight highlight = highlightFor(state);
    recordHighlightedLine(state, highlight);
    EXPECT_TRUE(image.paint(buffer.dc(), clientWidth, clientHeight, state, highlight));
    RestoreDC(buffer.dc(), saved);
    return bytesOf(buffer);
}

int strideOf(const Context& context) {
    return ((clientWidth * context.bitsPerPixel + 31) / 32) * 4;
}

TEST(CanvasPixels, EveryContextFigureAndModeMatchesThePlainDrawing) {
    struct Hover {
        int mode;
        int32_t x, y;
    };
    // Beside the crowd of marks, on a mark cut by the left edge, on lines through the middle.
    const Hover hovers[] = {{0, 0, 0}, {2, 203, 153}, {6, 1, 200}, {10, 397, 285}, {10, 20, 10}};
    const struct {
        const char* name;
        Figure figure;
    } figures[] = {
        {"mixed", mixedFigure(false)}, {"mixed with extremes", mixedFigure(true)}, {"small", smallFigure()}};
    for (const auto& entry : figures) {
        for (const Context& context : contexts) {
            for (const Hover& hover : hovers) {
                SCOPED_TRACE(std::string(entry.name) + ", " + context.name + ", mode " +
                             std::to_string(hover.mode) + " at " + std::to_string(hover.x) + "," +
                             std::to_string(hover.y));
                const EditorState state = stateOf(entry.figure, hover.mode, hover.x, hover.y);
                const auto plain = paintOn<PlainGdiCanvas>(context, state);
                const auto fast = paintOn<GdiCanvas>(context, state);
                EXPECT_TRUE(samePixels(plain, fast, strideOf(context)));
            }
        }
    }
}

// Whether every coloured pixel of each drawing has one within a pixel of it
// in the other.
::testing::AssertionResult withinAPixel(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    auto coloured = [](const std::vector<uint8_t>& pixels, int x, int y) {
        if (x < 0 || y < 0 || x >= clientWidth || y >= clientHeight)
            return false;
        const size_t at = (static_cast<size_t>(y) * clientWidth + static_cast<size_t>(x)) * 4;
        return pixels[at] != 0xFF || pixels[at + 1] != 0xFF || pixels[at + 2] != 0xFF;
    };
    auto besideOne = [&coloured](const std::vector<uint8_t>& pixels, int x, int y) {
        for (int d = 0; d < 9; ++d) {
            if (coloured(pixels, x + d % 3 - 1, y + d / 3 - 1))
                return true;
        }
        return false;
    };
    for (int y = 0; y < clientHeight; ++y) {
        for (int x = 0; x < clientWidth; ++x) {
            if ((coloured(a, x, y) && !besideOne(b, x, y)) || (coloured(b, x, y) && !besideOne(a, x, y))) {
                return ::testing::AssertionFailure() << "the two drawings part at " << x << "," << y;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

// GDI under Wine draws a line wrongly or not at all once an end lies far
// enough out, sooner for a wide pen. Such a line must still show as the same
// line with its ends near the window: exactly for the 1-pixel pen and where a
// wide pen's cut ends fall on whole pixels, else within a pixel. A line that
// GDI draws right stays GDI's own.
TEST(CanvasPixels, ALineReachingFarOutShowsAsTheSameLineWithNearEnds) {
    struct Row {
        int width;
        int32_t dx, dy;     // the line runs through (400, 300) in this direction
        int32_t steps;      // as far as this many steps of it each way
        bool oneEndInside;  // or from (400, 300) only
        bool exact;
    };
    const Row rows[] = {
        {3, 1, 1, 100000000, false, true},
        {3, 1, -1, 100000000, true, true},
        {3, 2, 1, 40000000, false, true},
        {3, 0, 1, 2000000000, false, true},
        {3, 1, 1, 2147483000, true, true},
        {1, 1, 1, 2147483000, false, true},
        {1, -2, 1, 1000000000, false, true},
        {1, 1, 0, 2147483000, false, true},
        {3, 7, 5, 10000000, false, false},
        {1, 13, -11, 100000000, true, true},
        // Within the reach where GDI draws them right, at any slope.
        {3, 7, 5, 599000, false, true},
        {1, 7, 5, 19000000, false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.width) + " px, direction " + std::to_string(row.dx) + "," +
                     std::to_string(row.dy) + ", " + std::to_string(row.steps) + " steps");
        auto drawn = [&row](int32_t steps, bool plain) {
            PixelBuffer buffer = clientBuffer(32);
            white(buffer.dc());
            HPEN pen = CreatePen(PS_SOLID, row.width, RGB(255, 0, 0));
            HGDIOBJ before = SelectObject(buffer.dc(), pen);
            const int32_t back = row.oneEndInside ? 0 : steps;
            const int32_t x1 = 400 - row.dx * back, y1 = 300 - row.dy * back;
            const int32_t x2 = 400 + row.dx * steps, y2 = 300 + row.dy * steps;
            if (plain) {
                MoveToEx(buffer.dc(), x1, y1, nullptr);
                LineTo(buffer.dc(), x2, y2);
            } else {
                drawLine(buffer.dc(), x1, y1, x2, y2);
            }
            SelectObject(buffer.dc(), before);
            DeleteObject(pen);
            return bytesOf(buffer);
        };
        const std::vector<uint8_t> nearEnds = drawn(1000, true);
        const std::vector<uint8_t> farEnds = drawn(row.steps, false);
        EXPECT_TRUE(row.exact ? samePixels(nearEnds, farEnds, clientWidth * 4)
                              : withinAPixel(nearEnds, farEnds));
    }
}

// A 1-pixel line with an end from 2^27 to 2^31 out sets the pixels of the
// exact line, as the lines counted into the window's picture do: at row 363
// the first line passes x = 307.497, so the pixel is 307.
TEST(CanvasPixels, AThinLineReachingFarOutSetsTheExactLinesPixels) {
    const Line lines[] = {
        {{271, 296}, {523921027, 961795440}}, {{-2147483647 - 1, 123}, {2147483647, 456}},
        {{400, 300}, {(1 << 27) + 5, 77}},    {{-1000000000, -300000000}, {1200000000, 900000000}},
        {{10, 10}, {2147483647, 2147483000}}, {{-536870912, 2147483647}, {700, -100}},
    };
    for (const Line& line : lines) {
        SCOPED_TRACE(std::to_string(line.first.x) + "," + std::to_string(line.first.y) + " to " +
                     std::to_string(line.second.x) + "," + std::to_string(line.second.y));
        PixelBuffer drawn = clientBuffer(32);
        white(drawn.dc());
        drawLine(drawn.dc(), line.first.x, line.first.y, line.second.x, line.second.y);
        PixelBuffer exact = clientBuffer(32);
        white(exact.dc());
        forEachThinPenPixel(line, clientWidth, clientHeight, [&exact](size_t at) {
            SetPixelV(exact.dc(), static_cast<int>(at % clientWidth), static_cast<int>(at / clientWidth), 0);
        });
        EXPECT_TRUE(samePixels(bytesOf(exact), bytesOf(drawn), clientWidth * 4));
    }
    PixelBuffer first = clientBuffer(32);
    white(first.dc());
    drawLine(first.dc(), 271, 296, 523921027, 961795440);
    EXPECT_EQ(0u, GetPixel(first.dc(), 307, 363));
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(first.dc(), 308, 363));
}

// The red lines of delete-line mode are counted pixel by pixel, not drawn;
// the counted pixels must be those of GDI's pen, for lines of any direction,
// inside the area, crossing it and touching far out of it.
TEST(CanvasPixels, CountedLinesAreThePixelsOfGdisPen) {
    uint32_t red = 0;
    ASSERT_TRUE(gdiDrawsLinesAsCounted(red));
    constexpr int side = 96;
    PixelBuffer drawn(nullptr, side, side);
    ASSERT_TRUE(drawn.ready());
    HPEN pen = CreatePen(PS_SOLID, lineHighlightWidth, RGB(255, 0, 0));
    HGDIOBJ before = SelectObject(drawn.dc(), pen);
    std::mt19937 random(5);
    // GDI takes a while over a line thousands of pixels long: few of those.
    for (int k = 0; k < 3000; ++k) {
        const int32_t reach = k % 500 == 0 ? 300000 : k % 3 == 0 ? 8 : k % 3 == 1 ? 150 : 2000;
        auto coordinate = [&] {
            return side / 2 - reach + static_cast<int32_t>(random() % static_cast<uint32_t>(2 * reach + 1));
        };
        const Line line = {{coordinate(), coordinate()}, {coordinate(), coordinate()}};
        std::fill_n(drawn.pixels(), side * side, 0x00FFFFFFu);
        drawLine(drawn.dc(), line.first.x, line.first.y, line.second.x, line.second.y);
        GdiFlush();
        std::vector<uint32_t> counts(side * side);
        countWidePenPixels(line, 1, counts.data(), side, side);
        int differing = 0;
        for (int p = 0; p < side * side; ++p) {
            differing += (drawn.pixels()[p] == red) != (counts[static_cast<size_t>(p)] != 0);
        }
        EXPECT_EQ(0, differing) << "the line from " << line.first.x << "," << line.first.y << " to "
                                << line.second.x << "," << line.second.y;
    }
    SelectObject(drawn.dc(), before);
    DeleteObject(pen);
}

// What the window receives, in order; each hover and press is followed by a paint.
struct Step {
    enum Kind { command, hover, press, release } kind;
    int32_t x = 0;    // a command's identifier
    int32_t y = 300;  // below the button bar, where a release arms the second pick
};

// Every edit once, each with a short and a long reach: the pointer walks a
// pixel or a few at a time among the lines, and jumps, and the line last
// highlighted goes, the crowd of marks goes with its lines, a point moves with
// its lines onto the status text, a line joins two points, points appear
// inside and outside the area; undo and redo take some back and bring them
// again. A far point, when there is one, is moved in.
std::vector<Step> editingSession(const Figure& figure, bool withFarPoint) {
    constexpr int32_t undo = static_cast<int32_t>(Command::undo);
    constexpr int32_t redo = static_cast<int32_t>(Command::redo);
    auto at = [&figure](size_t k, Step::Kind kind) {
        return Step{kind, figure.points[k].x, figure.points[k].y};
    };
    std::vector<Step> steps = {
        {Step::command, 104},    {Step::hover, 397, 285}, {Step::hover, 398, 285}, {Step::hover, 401, 288},
        {Step::hover, 400, 101}, {Step::hover, 120, 450}, {Step::hover, 397, 285}, {Step::press, 397, 285},
        {Step::hover, 398, 286}, {Step::command, 101},    {Step::press, 203, 153}, {Step::command, undo},
        {Step::command, redo},   {Step::command, 102},    at(5, Step::press),      {Step::release},
        {Step::press, 60, 40},   {Step::command, 103},    at(1, Step::press),      {Step::release},
        at(3, Step::press),      {Step::command, undo},   {Step::command, undo},   {Step::command, redo},
        {Step::command, 100},    {Step::press, 700, 500}, {Step::command, 100},    {Step::press, -500, 9000},
        {Step::command, 104},    {Step::hover, 398, 286}, {Step::hover, 300, 301}, {Step::command, undo},
        {Step::command, undo},
    };
    if (withFarPoint) {
        const std::vector<Step> farMove = {
            {Step::command, 102}, {Step::press, 50, INT32_MAX - 1}, {Step::release}, {Step::press, 300, 300}};
        steps.insert(steps.end(), farMove.begin(), farMove.end());
    }
    return steps;
}

// Applies a step as the window procedure does; true when a paint follows.
bool apply(EditorState& state, const Step& step) {
    switch (step.kind) {
        case Step::command:
            return onCommand(state, step.x);
        case Step::hover:
            return onMouseMove(state, step.x, step.y);
        case Step::press:
            return onLeftButtonDown(state, step.x, step.y);
        case Step::release:
            onLeftButtonUp(state, step.x, step.y);
            return false;
    }
    return false;
}

TEST(CanvasPixels, TheWindowsPictureOfTheFigureStaysThePlainDrawingThroughEveryEdit) {
    const struct {
        const char* name;
        Figure figure;
        bool hasFarPoint;
    } figures[] = {{"mixed", mixedFigure(false), false},
                   {"mixed with extremes", mixedFigure(true), true},
                   {"small", smallFigure(), false}};
    for (const auto& entry : figures) {
        for (const Context& context : contexts) {
            if (!context.takesPicture) {
                continue;
            }
            EditorState state = stateOf(entry.figure, 0, 0, 0);
            FigureImage image;
            const std::vector<Step> steps = editingSession(entry.figure, entry.hasFarPoint);
            // The first paint draws the whole picture, every later one repairs it.
            for (size_t k = 0; k < steps.size(); ++k) {
                if (k > 0 && !apply(state, steps[k])) {
                    continue;
                }
                SCOPED_TRACE(std::string(entry.name) + ", " + context.name + ", after step " +
                             std::to_string(k));
                const auto plain = paintOn<PlainGdiCanvas>(context, state, true);
                EXPECT_TRUE(samePixels(plain, paintThrough(image, context, state), strideOf(context)));
            }
            EXPECT_NE(entry.figure, state.document.figure());
        }
    }
}

// The same comparison on the program's own window: its paint after a hover
// in delete-line mode against the plain drawing of the same state.
class CanvasWindow : public ScratchFolderTest {
protected:
    static void SetUpTestSuite() { registerFiguryClass(GetModuleHandleA(nullptr)); }

    void TearDown() override {
        if (window_ != nullptr && IsWindow(window_))
            DestroyWindow(window_);
        WPARAM ignored;
        takeQuit(ignored);
        ScratchFolderTest::TearDown();
    }

    std::vector<uint8_t> clientPixels() {
        PixelBuffer copy = clientBuffer(32);
        HDC dc = GetDC(window_);
        BitBlt(copy.dc(), 0, 0, clientWidth, clientHeight, dc, 0, 0, SRCCOPY);
        ReleaseDC(window_, dc);
        return bytesOf(copy);
    }

    // The plain drawing of the state, made on the window itself and read back.
    std::vector<uint8_t> plainPixels(EditorState& state) {
        HDC dc = GetDC(window_);
        const RECT client = {0, 0, clientWidth, clientHeight};
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        {
            PlainGdiCanvas canvas(dc);
            const Highlight highlight = highlightFor(state);
            paintFigureView(canvas, state, highlight);
            recordHighlightedLine(state, highlight);
        }
        ReleaseDC(window_, dc);
        return clientPixels();
    }

    void openOn(const Figure& figure) {
        std::filesystem::create_directories(folder_ / "Dane");
        ASSERT_TRUE(saveFigure(figure, (folder_ / "Dane" / "obiekt.obj").string().c_str()));
        window_ = createMainWindow(GetModuleHandleA(nullptr), state_);
        ASSERT_NE(nullptr, window_);
        ShowWindow(window_, SW_SHOWNORMAL);  // no buttons: the whole client area is the figure's
        RECT client;
        GetClientRect(window_, &client);
        ASSERT_EQ(clientWidth, client.right);
        ASSERT_EQ(clientHeight, client.bottom);
        ASSERT_EQ(figure.points.size(), state_.document.figure().points.size());
    }

    EditorState state_;
    HWND window_ = nullptr;
};

TEST_F(CanvasWindow, TheWindowsPaintsMatchThePlainDrawingThroughEveryEdit) {
    const Figure figure = mixedFigure(false);
    openOn(figure);
    if (HasFatalFailure()) {
        return;
    }

    // Each paint after an edit repairs the window's picture of the figure.
    for (const Step& step : editingSession(figure, false)) {
        const UINT messages[] = {WM_COMMAND, WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP};
        const WPARAM wParam = step.kind == Step::command ? MAKEWPARAM(step.x, BN_CLICKED) : 0;
        const LPARAM lParam =
            step.kind == Step::command ? 0 : MAKELPARAM(static_cast<WORD>(step.x), static_cast<WORD>(step.y));
        EditorState before = state_;
        SendMessageA(window_, messages[step.kind], wParam, lParam);
        if (!apply(before, step)) {
            UpdateWindow(window_);
            continue;
        }
        SCOPED_TRACE("after a message " + std::to_string(messages[step.kind]) + " at " +
                     std::to_string(step.x) + "," + std::to_string(step.y));
        UpdateWindow(window_);
        const std::vector<uint8_t> painted = clientPixels();
        EXPECT_TRUE(samePixels(plainPixels(before), painted, clientWidth * 4));
        EXPECT_EQ(before.document.figure(), state_.document.figure());
        EXPECT_EQ(before.recordedLine, state_.recordedLine);
    }
    EXPECT_LT(state_.document.figure().lines.size(), figure.lines.size());
}

// Minimised, the window has no client area to paint, and an edit made then
// waits; smaller, it paints only part of the figure. Back as it was, the
// window shows the whole figure with the edit, as the plain drawing does.
TEST_F(CanvasWindow, AfterBeingMinimisedOrMadeSmallerTheWindowShowsTheWholeFigure) {
    openOn(mixedFigure(false));
    if (HasFatalFailure()) {
        return;
    }
    UpdateWindow(window_);
    RECT frame;
    GetWindowRect(window_, &frame);
    const struct {
        const char* name;
        std::function<void(HWND)> away;
        std::function<void(HWND)> back;
    } changes[] = {
        {"minimised", [](HWND window) { ShowWindow(window, SW_MINIMIZE); },
         [](HWND window) { ShowWindow(window, SW_RESTORE); }},
        {"made smaller",
         [](HWND window) { SetWindowPos(window, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER); },
         [&frame](HWND window) {
             SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                          SWP_NOMOVE | SWP_NOZORDER);
         }},
        {"made smaller, and back wider before taller",
         [](HWND window) { SetWindowPos(window, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER); },
         [&frame](HWND window) {
             SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, 200, SWP_NOMOVE | SWP_NOZORDER);
             UpdateWindow(window);
             SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                          SWP_NOMOVE | SWP_NOZORDER);
         }},
    };
    int32_t x = 700;
    for (const auto& change : changes) {
        SCOPED_TRACE(change.name);
        change.away(window_);
        takeMessages();
        // A new point where the window shows nothing now.
        SendMessageA(window_, WM_COMMAND, MAKEWPARAM(100, BN_CLICKED), 0);
        SendMessageA(window_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 500));
        takeMessages();
        change.back(window_);
        UpdateWindow(window_);
        RECT client;
        GetClientRect(window_, &client);
        ASSERT_EQ(clientWidth, client.right);
        ASSERT_EQ(clientHeight, client.bottom);
        const std::vector<uint8_t> painted = clientPixels();
        EXPECT_EQ((Point{x, 500}), state_.document.figure().points.back());
        EditorState shown = state_;
        EXPECT_TRUE(samePixels(plainPixels(shown), painted, clientWidth * 4));
        x += 20;
    }
}

}  // namespace

}  // namespace figury
