#pragma once

#include <vector>

#include "render/figure_damage.h"
#include "render/shapes_touching.h"
#include "render/canvas.h"
#include "figure/figure.h"

namespace figury {

// A canvas on a kept picture of the figure, which a repair erases and clips.
class PictureCanvas : public Canvas {
public:
    // Fills box with the picture's white background.
    virtual void fillWhite(const Box& box) = 0;
    // Lets later drawing set pixels only inside the boxes; false, with
    // nothing changed, when it cannot.
    virtual bool clipTo(const std::vector<Box>& boxes) = 0;
    virtual void unclip() = 0;
    // Makes sure that what was drawn is in the picture's pixels, for a
    // reader of them.
    virtual void finish() {}
};

// The damage's boxes cut to a width x height picture, in boxes. False when
// the damage asks for the whole picture: everything, or a shape beyond GDI's
// coordinate limit, which may set pixels anywhere.
bool boxesInside(const FigureDamage& damage, int width, int height, std::vector<Box>& boxes);

// Draws the whole width x height picture of the figure afresh.
void redrawPicture(PictureCanvas& canvas, const Figure& figure, int width, int height);

// Brings a width x height picture that showed the figure as it was before the
// damage up to date: each damaged box is erased and every shape that touches
// one is drawn again, clipped to them, in storage order, so that each pixel
// ends as a redraw of the whole picture would leave it and every other pixel
// keeps its value. touching is scratch memory, kept by the caller from
// repair to repair.
void repairPicture(PictureCanvas& canvas, const Figure& figure, const FigureDamage& damage, int width,
                   int height, Figure& touching);

// The same for a picture of the marks alone: drawn afresh, or the boxes
// erased and every mark touching one drawn again, clipped to them, in storage
// order. False, with nothing done, when the canvas cannot clip.
void redrawMarks(PictureCanvas& canvas, const std::vector<Point>& points, int width, int height);
bool repairMarks(PictureCanvas& canvas, const std::vector<Point>& points, const std::vector<Box>& boxes,
                 std::vector<Point>& touching);

}  // namespace figury
