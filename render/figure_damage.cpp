#include "render/figure_damage.h"

#include <algorithm>

#include "render/canvas.h"

namespace figury {

namespace {

// The repair tests every shape against every box; past this many they are
// joined into one box around them all.
constexpr size_t mostBoxes = 16;

// A pixel of margin on each side: a mark's ellipse and a line's end pixels
// may reach one past the coordinates they are drawn from.
Box around(int64_t left, int64_t top, int64_t right, int64_t bottom) {
    return {left - 1, top - 1, right + 2, bottom + 2};
}

void add(FigureDamage& damage, const Box& box) {
    if (damage.everything) {
        return;
    }
    if (damage.boxes.size() < mostBoxes) {
        damage.boxes.push_back(box);
        return;
    }
    Box all = box;
    for (const Box& other : damage.boxes) {
        all = unite(all, other);
    }
    damage.boxes.assign(1, all);
}

}  // namespace

void FigureDamage::addMark(Point point) {
    const int64_t radius = pointMarkRadius;
    add(*this, around(point.x - radius, point.y - radius, point.x + radius, point.y + radius));
}

void FigureDamage::addLine(const Line& line) {
    const auto [left, right] = std::minmax(line.first.x, line.second.x);
    const auto [top, bottom] = std::minmax(line.first.y, line.second.y);
    add(*this, around(left, top, right, bottom));
}

void FigureDamage::addEdit(const FigureEdit& edit, bool withLines) {
    for (const auto* points : {&edit.pointsRemoved, &edit.pointsAdded}) {
        for (const ShapeAt<Point>& point : *points) {
            addMark(point.shape);
        }
    }
    if (withLines) {
        for (const auto* lines : {&edit.linesRemoved, &edit.linesAdded}) {
            for (const ShapeAt<Line>& line : *lines) {
                addLine(line.shape);
            }
        }
    }
    for (const ShapeChange<Point>& point : edit.pointsChanged) {
        addMark(point.before);
        addMark(point.after);
    }
    if (withLines) {
        for (const ShapeChange<Line>& line : edit.linesChanged) {
            addLine(line.before);
            addLine(line.after);
        }
    }
}

void FigureDamage::addEverything() {
    everything = true;
    boxes.clear();
}

void FigureDamage::clear() {
    everything = false;
    boxes.clear();
}

FigureDamage damageSince(const FigureChanges& changes, uint64_t since) {
    FigureDamage damage;
    damage.clear();
    if (!changes.forEachSince(since, [&damage](const FigureEdit& edit, bool) { damage.addEdit(edit); })) {
        damage.addEverything();
    }
    return damage;
}

}  // namespace figury
