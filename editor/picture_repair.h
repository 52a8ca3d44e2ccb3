#pragma once

#include <vector>

#include "editor/figure_damage.h"
#include "editor/shapes_reaching.h"
#include "editor/view.h"
#include "figure/figure.h"

// A canvas on a kept picture of the figure, which a repair erases and clips.
class PictureCanvas : public Canvas {
public:
    // Fills box with the picture's white background.
    virtual void fillWhite(const PictureBox& box) = 0;
    // Lets later drawing set pixels only inside the boxes; false, with
    // nothing changed, when it cannot.
    virtual bool clipTo(const std::vector<PictureBox>& boxes) = 0;
    virtual void unclip() = 0;
};

// Draws the whole width x height picture of the figure afresh.
void redrawPicture(PictureCanvas& canvas, const Figure& figure, int width, int height);

// Brings a width x height picture that showed the figure as it was before the
// damage up to date: each damaged box is erased and every shape that reaches
// one is drawn again, clipped to them, in storage order, so that each pixel
// ends as a redraw of the whole picture would leave it and every other pixel
// keeps its value. reaching is scratch memory, kept by the caller from
// repair to repair.
void repairPicture(PictureCanvas& canvas, const Figure& figure, const FigureDamage& damage, int width,
                   int height, Figure& reaching);
