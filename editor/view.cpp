#include "editor/view.h"

#include <algorithm>
#include <limits>

#include "figure/line_proximity.h"

namespace {

void drawMark(Canvas& canvas, Point point, int32_t reach) {
    const MarkBox box = markBox(point, reach);
    canvas.ellipse(box.left, box.top, box.right, box.bottom);
}

void drawLine(Canvas& canvas, const Line& line) {
    canvas.moveTo(line.first.x, line.first.y);
    canvas.lineTo(line.second.x, line.second.y);
}

}  // namespace

MarkBox markBox(Point point, int32_t reach) {
    auto shifted = [](int32_t value, int32_t by) {
        const int64_t result = int64_t{value} + by;
        return static_cast<int32_t>(std::clamp<int64_t>(result, std::numeric_limits<int32_t>::min(),
                                                        std::numeric_limits<int32_t>::max()));
    };
    return {shifted(point.x, -reach), shifted(point.y, -reach), shifted(point.x, reach),
            shifted(point.y, reach)};
}

void Canvas::pointMarks(const Point* points, size_t count, int32_t reach) {
    for (size_t k = 0; k < count; ++k) {
        drawMark(*this, points[k], reach);
    }
}

void Canvas::lines(const Line* lines, size_t count) {
    for (size_t k = 0; k < count; ++k) {
        drawLine(*this, lines[k]);
    }
}

Highlight highlightFor(const EditorState& state) {
    Highlight highlight;
    const Figure& figure = state.document.figure();
    switch (state.editMode) {
        case EditMode::deletePoint:
        case EditMode::movePick:
        case EditMode::lineFirst:
        case EditMode::lineSecond:
            highlight.penWidth = pointHighlightWidth;
            for (size_t k = 0; k < figure.points.size(); ++k) {
                if (pointIsUnder(figure.points[k], state.hoverX, state.hoverY)) {
                    highlight.points.push_back(k);
                }
            }
            break;
        case EditMode::deleteLine:
            highlight.penWidth = lineHighlightWidth;
            highlight.lines = nearLines(figure.lines, state.hoverX, state.hoverY);
            break;
        default:
            break;
    }
    return highlight;
}

void paintFigureView(Canvas& canvas, const EditorState& state, const Highlight& highlight) {
    paintFigure(canvas, state.document.figure());
    paintOverlay(canvas, state, highlight);
}

void paintFigure(Canvas& canvas, const Figure& figure) {
    canvas.pointMarks(figure.points.data(), figure.points.size(), pointMarkReach);
    canvas.lines(figure.lines.data(), figure.lines.size());
}

void paintOverlay(Canvas& canvas, const EditorState& state, const Highlight& highlight) {
    paintStatusText(canvas, state);
    // The highlight comes last so that a ring hides what lies inside it.
    paintHighlight(canvas, state.document.figure(), highlight);
}

void paintStatusText(Canvas& canvas, const EditorState& state) {
    // The text is drawn on an opaque background, over any line beneath it.
    const char* text = state.statusText;
    const auto length = std::find(text, text + sizeof state.statusText, '\0') - text;
    if (length > 0) {
        canvas.textOut(statusTextX, statusTextY, state.statusText, static_cast<int>(length));
    }
}

void paintHighlight(Canvas& canvas, const Figure& figure, const Highlight& highlight) {
    // The pen is selected before the first red shape and stays to the end.
    if (highlight.penWidth == 0) {
        return;
    }
    canvas.createHighlightPen(highlight.penWidth);
    for (size_t k : highlight.points) {
        canvas.selectHighlightPen();
        drawMark(canvas, figure.points[k], pointRingReach);
    }
    for (size_t k : highlight.lines) {
        canvas.selectHighlightPen();
        drawLine(canvas, figure.lines[k]);
    }
}
