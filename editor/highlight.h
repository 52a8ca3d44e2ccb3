#pragma once

#include <cstddef>
#include <vector>

#include "editor/editor_state.h"

namespace figury {

// What a paint draws red for the pointer at the hover position, by storage
// index: the points under it while a point pick is awaited, the lines near it
// in delete-line mode. penWidth is 0 when the mode highlights nothing.
struct Highlight {
    int penWidth = 0;
    std::vector<size_t> points;
    std::vector<size_t> lines;
};
Highlight highlightFor(const EditorState& state);

}  // namespace figury
