#include "view.h"

#include <algorithm>
#include <limits>

#include "line_proximity.h"

namespace {

void drawMark(Canvas& canvas, int32_t x, int32_t y, int32_t reach) {
    const MarkBox box = markBox(x, y, reach);
    canvas.ellipse(box.left, box.top, box.right, box.bottom);
}

void highlightPoints(Canvas& canvas, const Figure& figure, int32_t x, int32_t y) {
    canvas.createHighlightPen(pointHighlightWidth);
    const size_t end = pointElements(figure);
    for (size_t i = 0; i < end; i += 2) {
        if (pointIsUnder(figure.points[i], figure.points[i + 1], x, y)) {
            canvas.selectHighlightPen();
            drawMark(canvas, figure.points[i], figure.points[i + 1], pointRingReach);
        }
    }
}

bool nearLine(const int32_t* line, int32_t x, int32_t y) {
    return lineIsNear(line[0], line[1], line[2], line[3], x, y);
}

// Every near line up to the last one, which is known to be near: each line is
// tested once in all.
void highlightLines(Canvas& canvas, const Figure& figure, int32_t x, int32_t y,
                    std::optional<int32_t> last) {
    canvas.createHighlightPen(lineHighlightWidth);
    if (!last) {
        return;
    }
    const auto lastOffset = static_cast<size_t>(*last);
    for (size_t j = 0; j <= lastOffset; j += 4) {
        const int32_t* line = &figure.lines[j];
        if (j == lastOffset || nearLine(line, x, y)) {
            canvas.selectHighlightPen();
            canvas.moveTo(line[0], line[1]);
            canvas.lineTo(line[2], line[3]);
        }
    }
}

}  // namespace

MarkBox markBox(int32_t x, int32_t y, int32_t reach) {
    auto shifted = [](int32_t value, int32_t by) {
        const int64_t result = int64_t{value} + by;
        return static_cast<int32_t>(std::clamp<int64_t>(
            result, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
    };
    return {shifted(x, -reach), shifted(y, -reach), shifted(x, reach), shifted(y, reach)};
}

std::optional<int32_t> lineHighlightedAt(const Figure& figure, int mode, int32_t x, int32_t y) {
    if (mode != modeDeleteLine) {
        return std::nullopt;
    }
    for (size_t j = lineElements(figure); j >= 4; j -= 4) {
        if (nearLine(&figure.lines[j - 4], x, y)) {
            return static_cast<int32_t>(j - 4);
        }
    }
    return std::nullopt;
}

void Canvas::pointMarks(const int32_t* points, size_t count, int32_t reach) {
    for (size_t i = 0; i < 2 * count; i += 2) {
        drawMark(*this, points[i], points[i + 1], reach);
    }
}

void Canvas::lines(const int32_t* ends, size_t count) {
    for (size_t j = 0; j < 4 * count; j += 4) {
        moveTo(ends[j], ends[j + 1]);
        lineTo(ends[j + 2], ends[j + 3]);
    }
}

void paintFigureView(Canvas& canvas, const Figure& figure, int32_t hoverX, int32_t hoverY,
                     EditorState& state) {
    canvas.pointMarks(figure.points.data(), pointElements(figure) / 2, pointMarkReach);
    canvas.lines(figure.lines.data(), lineElements(figure) / 4);

    // The text is drawn on an opaque background, over any line beneath it.
    const char* text = state.statusText;
    const auto length = std::find(text, text + sizeof state.statusText, '\0') - text;
    if (length > 0) {
        canvas.textOut(statusTextX, statusTextY, text, static_cast<int>(length));
    }

    // The highlight comes last so that a ring hides what lies inside it.
    switch (state.editMode) {
        case modeDeletePoint:
        case modeMovePick:
        case modeLineFirst:
        case modeLineSecond:
            highlightPoints(canvas, figure, hoverX, hoverY);
            break;
        case modeDeleteLine: {
            const std::optional<int32_t> last = lineHighlightedAt(figure, state.editMode, hoverX, hoverY);
            highlightLines(canvas, figure, hoverX, hoverY, last);
            if (last) {
                state.lineToDelete = last;
            }
            break;
        }
        default:
            break;
    }
}
