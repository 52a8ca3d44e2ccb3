#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "editor/editor_state.h"
#include "editor/highlight.h"
#include "render/canvas.h"

namespace figury {

constexpr int32_t statusTextX = 10;
constexpr int32_t statusTextY = 35;  // just below the button bar

// Paints the points, the lines, the status text and then the highlight.
void paintFigureView(Canvas& canvas, const EditorState& state, const Highlight& highlight);
// The two halves of it: the figure's marks and lines (paintFigure), which
// stay as they are until the figure changes, and what is drawn over them.
void paintOverlay(Canvas& canvas, const EditorState& state, const Highlight& highlight);
// The two parts of that, in its order.
void paintStatusText(Canvas& canvas, const EditorState& state);
void paintHighlight(Canvas& canvas, const Figure& figure, const Highlight& highlight);

}  // namespace figury
