#include "render/picture_repair.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "render/counted_picture.h"
#include "editor/figure_document.h"
#include "render/thin_pen_pixels.h"
#include "render/gdi_limits.h"
#include "render/shapes_touching.h"
#include "support/figures.h"

namespace figury {

namespace {

constexpr uint32_t white = 0xFFFFFF;
constexpr uint32_t black = 0;

// A picture that sets the pixels of each shape as far out as the window's
// damage and scan allow GDI to: a mark one pixel beyond its ellipse's square
// each way, a line one pixel beyond each end. A repair that misses a pixel
// of a changed shape leaves it wrong here. With thinLines, lines are drawn
// with the pixels of GDI's 1-pixel pen instead, as the counted picture has them.
class RasterCanvas final : public PictureCanvas {
public:
    RasterCanvas(int width, int height, bool thinLines = false)
        : width_(width), height_(height), thinLines_(thinLines), pixels_(size_t(width * height), white) {}

    std::vector<uint32_t>& pixels() { return pixels_; }

    void fillWhite(const Box& box) override {
        for (int32_t y = static_cast<int32_t>(box.top); y < box.bottom; ++y) {
            for (int32_t x = static_cast<int32_t>(box.left); x < box.right; ++x) {
                set(x, y, white);
            }
        }
    }
    bool clipTo(const std::vector<Box>& boxes) override {
        clip_ = boxes;
        clipped_ = true;
        return true;
    }
    void unclip() override { clipped_ = false; }

    void ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) override {
        for (int32_t y = top - 1; y <= bottom + 1; ++y) {
            for (int32_t x = left - 1; x <= right + 1; ++x) {
                const bool edge = y == top - 1 || y == bottom + 1 || x == left - 1 || x == right + 1;
                set(x, y, edge ? black : white);
            }
        }
    }
    void moveTo(int32_t x, int32_t y) override { at_ = {x, y}; }
    void lineTo(int32_t x, int32_t y) override {
        if (thinLines_) {
            forEachThinPenPixel(Line{at_, {x, y}}, width_, height_, [this](size_t p) {
                set(int32_t(p % size_t(width_)), int32_t(p / size_t(width_)), black);
            });
            at_ = {x, y};
            return;
        }
        for (const Point end : {at_, Point{x, y}}) {
            for (int32_t dy = -1; dy <= 1; ++dy) {
                for (int32_t dx = -1; dx <= 1; ++dx) {
                    set(end.x + dx, end.y + dy, black);
                }
            }
        }
        // Each pixel the nearest to the segment on its row or column.
        const int32_t steps = std::max(std::abs(x - at_.x), std::abs(y - at_.y));
        for (int32_t k = 0; k <= steps; ++k) {
            const double t = steps == 0 ? 0.0 : double(k) / steps;
            set(int32_t(std::lround(at_.x + t * (x - at_.x))), int32_t(std::lround(at_.y + t * (y - at_.y))),
                black);
        }
        at_ = {x, y};
    }
    void textOut(int32_t, int32_t, const char*, int) override {}
    void createHighlightPen(int) override {}
    void selectHighlightPen() override {}

private:
    void set(int32_t x, int32_t y, uint32_t value) {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) {
            return;
        }
        if (clipped_ && std::none_of(clip_.begin(), clip_.end(), [x, y](const Box& box) {
                return x >= box.left && x < box.right && y >= box.top && y < box.bottom;
            })) {
            return;
        }
        pixels_[size_t(y * width_ + x)] = value;
    }

    int width_;
    int height_;
    bool thinLines_;
    std::vector<uint32_t> pixels_;
    std::vector<Box> clip_;
    bool clipped_ = false;
    Point at_;
};

constexpr int width = 90;
constexpr int height = 70;

// Every kind of edit, undo and redo at random on a small crowded figure that
// reaches past the picture's edges. After each change, and now and then after
// several, up to past what the document keeps, check(step) compares the
// picture brought up to date with a redraw of the whole figure.
template <class Check>
void editAtRandom(Check check) {
    std::mt19937 random(11);
    auto coordinate = [&](int32_t size) { return int32_t(random() % uint32_t(size + 40)) - 20; };
    Figure start;
    for (int k = 0; k < 30; ++k) {
        addPoint(start, coordinate(width), coordinate(height));
    }
    for (int k = 0; k < 40; ++k) {
        start.lines.push_back({start.points[random() % 30], start.points[random() % 30]});
    }
    FigureDocument document(start);
    check(document, -1);
    int changes = 0;
    for (int step = 0; step < 3000; ++step) {
        const Figure& figure = document.figure();
        const auto anyPoint = [&] { return figure.points[random() % figure.points.size()]; };
        const int32_t x = coordinate(width);
        const int32_t y = coordinate(height);
        size_t picked = 0;
        switch (random() % 8) {
            case 0:
                document.edit(EditKind::pointAdded, [&](Figure& f, FigureEdit& e) {
                    addPoint(f, x, y, &e);
                    return true;
                });
                break;
            case 1:
                if (!figure.points.empty()) {
                    const Point at = anyPoint();
                    document.edit(EditKind::pointsDeleted, [&](Figure& f, FigureEdit& e) {
                        return deletePointsAt(f, at.x, at.y, &e);
                    });
                }
                break;
            case 2:
                if (!figure.points.empty()) {
                    const Point from = anyPoint();
                    selectPointAt(figure, from.x, from.y, picked);
                    document.edit(EditKind::pointMoved, [&](Figure& f, FigureEdit& e) {
                        return moveSelectedPointTo(f, picked, x, y, &e);
                    });
                }
                break;
            case 3:
                if (!figure.points.empty()) {
                    const Point to = anyPoint();
                    picked = random() % figure.points.size();
                    document.edit(EditKind::lineInserted, [&](Figure& f, FigureEdit& e) {
                        return insertLineTo(f, picked, to.x, to.y, &e);
                    });
                }
                break;
            case 4:
                if (!figure.lines.empty()) {
                    picked = random() % figure.lines.size();
                    document.edit(EditKind::lineDeleted, [&](Figure& f, FigureEdit& e) {
                        return deleteSelectedLine(f, picked, &e);
                    });
                }
                break;
            case 5:
            case 6:
                document.undo();
                break;
            default:
                document.redo();
                break;
        }
        if (++changes >= (step % 97 == 0 ? 20 : step % 5 == 0 ? 3 : 1)) {
            changes = 0;
            check(document, step);
        }
    }
}

TEST(PictureRepair, ARepairedPictureIsTheWholeFigureRedrawnThroughEveryChange) {
    RasterCanvas picture(width, height);
    Figure touching;
    uint64_t shown = 0;
    editAtRandom([&](const FigureDocument& document, int step) {
        if (step < 0) {
            redrawPicture(picture, document.figure(), width, height);
        } else {
            repairPicture(picture, document.figure(), damageSince(document.changes(), shown), width, height,
                          touching);
        }
        shown = document.changes().revision();
        RasterCanvas whole(width, height);
        redrawPicture(whole, document.figure(), width, height);
        ASSERT_EQ(whole.pixels(), picture.pixels()) << "after step " << step;
    });
}

TEST(CountedPicture, TheCountedPictureIsTheWholeFigureDrawnThroughEveryChange) {
    RasterCanvas marks(width, height);
    std::vector<uint32_t> shown(size_t(width * height));
    CountedPicture picture;
    picture.reset(width, height, marks.pixels().data(), shown.data(), black);
    editAtRandom([&](const FigureDocument& document, int step) {
        picture.update(document.figure(), document.changes(), marks);
        RasterCanvas whole(width, height, true);
        redrawPicture(whole, document.figure(), width, height);
        ASSERT_EQ(whole.pixels(), shown) << "after step " << step;
    });
}

// However many shapes a damage gathers, and wherever they lie, each pixel
// they may set lies in one of its boxes.
TEST(FigureDamage, EveryPixelOfTheShapesAddedLiesInABox) {
    std::mt19937 random(7);
    constexpr int side = 200;
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        // Most shapes crowd one corner; one may lie anywhere.
        const int32_t odd = int32_t(random() % 40);
        auto coordinate = [&](int k) { return k == odd ? int32_t(random() % side) : int32_t(random() % 30); };
        FigureDamage damage;
        damage.clear();
        RasterCanvas drawn(side, side);
        const int count = 1 + int(random() % 40);
        for (int k = 0; k < count; ++k) {
            const Point at{coordinate(k), coordinate(k)};
            if (random() % 2) {
                damage.addMark(at);
                paintFigure(drawn, Figure{{at}, {}});
            } else {
                const Line line{at, {at.x + int32_t(random() % 7) - 3, at.y + int32_t(random() % 7) - 3}};
                damage.addLine(line);
                paintFigure(drawn, Figure{{}, {line}});
            }
        }
        ASSERT_FALSE(damage.everything);
        for (int y = 0; y < side; ++y) {
            for (int x = 0; x < side; ++x) {
                const bool inABox =
                    std::any_of(damage.boxes.begin(), damage.boxes.end(), [x, y](const Box& box) {
                        return x >= box.left && x < box.right && y >= box.top && y < box.bottom;
                    });
                ASSERT_TRUE(inABox || drawn.pixels()[size_t(y * side + x)] == white) << x << "," << y;
            }
        }
    }
}

// The scan with SSE2 and without it finds exactly the shapes that the exact
// tests keep, in storage order, far ones included.
TEST(ShapesReaching, TheScanFindsWhatTheExactTestsFind) {
    std::mt19937 random(3);
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        const int32_t spread = round % 4 == 0 ? 4000 : 300;
        auto coordinate = [&] {
            if (random() % 200 == 0) {
                // Around the far coordinate on either side.
                const int32_t edge = random() % 2 ? gdiCoordinateLimit : -gdiCoordinateLimit;
                return edge + int32_t(random() % 9) - 4;
            }
            return int32_t(random() % uint32_t(2 * spread)) - spread / 2;
        };
        Figure figure;
        for (int k = 0; k < 700; ++k) {
            figure.points.push_back({coordinate(), coordinate()});
            figure.lines.push_back({{coordinate(), coordinate()}, {coordinate(), coordinate()}});
        }
        std::vector<Box> boxes(1 + random() % 5);
        for (Box& box : boxes) {
            const int32_t left = int32_t(random() % 700), top = int32_t(random() % 500);
            box = {left, top, left + 1 + int32_t(random() % 60), top + 1 + int32_t(random() % 60)};
        }
        Figure expected;
        for (const Point point : figure.points) {
            if (isFar(point) || std::any_of(boxes.begin(), boxes.end(),
                                            [&](const Box& box) { return markTouches(point, box); })) {
                expected.points.push_back(point);
            }
        }
        for (const Line& line : figure.lines) {
            if (isFar(line) || std::any_of(boxes.begin(), boxes.end(),
                                           [&](const Box& box) { return lineTouches(line, box); })) {
                expected.lines.push_back(line);
            }
        }
        Figure found;
        findShapesTouching(figure, boxes, found);
        EXPECT_EQ(expected, found);
        findShapesTouchingScalar(figure, boxes, found);
        EXPECT_EQ(expected, found);
    }
}

}  // namespace

}  // namespace figury
