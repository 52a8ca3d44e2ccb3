#include "editor/highlight.h"

#include "render/canvas.h"
#include "render/near_lines.h"

namespace figury {

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

}  // namespace figury
