#include "editor/view.h"

#include <cstring>

namespace figury {

void paintFigureView(Canvas& canvas, const EditorState& state, const Highlight& highlight) {
    paintFigure(canvas, state.document.figure());
    paintOverlay(canvas, state, highlight);
}

void paintOverlay(Canvas& canvas, const EditorState& state, const Highlight& highlight) {
    paintStatusText(canvas, state);
    // The highlight comes last so that a ring hides what lies inside it.
    paintHighlight(canvas, state.document.figure(), highlight);
}

void paintStatusText(Canvas& canvas, const EditorState& state) {
    // The text is drawn on an opaque background, over any line beneath it.
    const size_t length = std::strlen(state.statusText);
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
        drawMark(canvas, figure.points[k], pointRingRadius);
    }
    for (size_t k : highlight.lines) {
        canvas.selectHighlightPen();
        drawSegment(canvas, figure.lines[k]);
    }
}

}  // namespace figury
