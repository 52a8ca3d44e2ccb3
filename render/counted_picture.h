#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "figure/figure.h"
#include "figure/figure_changes.h"
#include "render/picture_repair.h"

namespace figury {

// The window's picture of the figure with its lines counted rather than
// drawn: for each pixel it keeps how many lines set it (by the 1-pixel pen's
// pixels, thin_pen_pixels.h), so that a line that comes or goes costs only
// its own pixels, however many other lines cross them. The marks, which
// are drawn first and of which a later one hides part of an earlier one,
// are kept in a picture of their own, drawn by the platform and repaired in
// the boxes of the marks that changed.
class CountedPicture {
public:
    // Starts afresh on two row-major width x height pictures of 32-bit
    // pixels, kept by the caller: marks holds the marks alone on white,
    // drawn by the canvas given to update; shown gets them with the lines in
    // lineColour over them.
    void reset(int width, int height, uint32_t* marks, uint32_t* shown, uint32_t lineColour);

    // Brings the pictures up to the figure, from its changes since the last
    // update, or afresh. marksCanvas draws on the marks
    // picture; what it draws must be in the pixels once its finish returns.
    void update(const Figure& figure, const FigureChanges& changes, PictureCanvas& marksCanvas);

private:
    void countIn(const Line& line);
    void countOut(const Line& line);
    void compose(const Box& box);

    int width_ = 0;
    int height_ = 0;
    uint32_t* marks_ = nullptr;
    uint32_t* shown_ = nullptr;
    uint32_t lineColour_ = 0;
    std::optional<uint64_t> revision_;  // the figure's revision the pictures show, once drawn
    std::vector<uint32_t> counts_;
    std::vector<Point> touchingMarks_;  // kept from repair to repair
};

}  // namespace figury
