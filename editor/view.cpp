#include "view.h"

#include <algorithm>
#include <limits>

#include "line_proximity.h"

namespace {

// Coordinates read from a file may be anywhere in the 32-bit range; the
// corners of a mark around them stay in range instead of wrapping.
int32_t shifted(int32_t value, int32_t by) {
    const int64_t result = int64_t{value} + by;
    return static_cast<int32_t>(std::clamp<int64_t>(result, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

void drawMark(Canvas& canvas, int32_t x, int32_t y, int32_t reach) {
    canvas.ellipse(shifted(x, -reach), shifted(y, -reach), shifted(x, reach), shifted(y, reach));
}

size_t pointElements(const Figure& figure) {
    return std::min(static_cast<size_t>(std::max(figure.pointCount, 0)) * 2, figure.points.size());
}

size_t lineElements(const Figure& figure) {
    return std::min(static_cast<size_t>(std::max(figure.lineCount, 0)) * 4, figure.lines.size());
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

void highlightLines(Canvas& canvas, const Figure& figure, int32_t x, int32_t y,
                    int32_t& selectionIndex) {
    canvas.createHighlightPen(lineHighlightWidth);
    const size_t end = lineElements(figure);
    for (size_t j = 0; j < end; j += 4) {
        const int32_t* line = &figure.lines[j];
        if (lineIsNear(line[0], line[1], line[2], line[3], x, y)) {
            canvas.selectHighlightPen();
            canvas.moveTo(line[0], line[1]);
            canvas.lineTo(line[2], line[3]);
            selectionIndex = static_cast<int32_t>(j);  // the last near line is the one deleted
        }
    }
}

}  // namespace

void paintFigureView(Canvas& canvas, const Figure& figure, int32_t hoverX, int32_t hoverY,
                     EditorState& state) {
    const size_t pointEnd = pointElements(figure);
    for (size_t i = 0; i < pointEnd; i += 2) {
        drawMark(canvas, figure.points[i], figure.points[i + 1], pointMarkReach);
    }
    const size_t lineEnd = lineElements(figure);
    for (size_t j = 0; j < lineEnd; j += 4) {
        canvas.moveTo(figure.lines[j], figure.lines[j + 1]);
        canvas.lineTo(figure.lines[j + 2], figure.lines[j + 3]);
    }

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
        case modeDeleteLine:
            highlightLines(canvas, figure, hoverX, hoverY, state.selectionIndex);
            break;
        default:
            break;
    }
}
