#include "editor/figure_document.h"
#include "render/figure_damage.h"

#include <gtest/gtest.h>

#include "support/figures.h"

namespace figury {

namespace {

using testing_support::figureOf;

bool addPointAt(FigureDocument& document, int32_t x) {
    return document.edit(EditKind::pointAdded, [x](Figure& figure, FigureEdit& edit) {
        addPoint(figure, x, 0, &edit);
        return true;
    });
}

TEST(FigureDocument, TheHistoryKeepsItsBoundDroppingTheOldestSteps) {
    FigureDocument measure;
    addPointAt(measure, 0);
    const size_t step = measure.historyBytes();
    FigureDocument document(Figure{}, 3 * step);
    for (int32_t x = 0; x < 10; ++x) {
        addPointAt(document, x);
        EXPECT_LE(document.historyBytes(), 3 * step);
    }
    EXPECT_EQ(3u, document.undoSteps());
    while (document.undo()) {
    }
    EXPECT_EQ(figureOf({0, 0, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0}), document.figure());
    EXPECT_TRUE(document.edited()) << "the loaded figure can no longer be reached";
    EXPECT_EQ(3u, document.redoSteps());
    EXPECT_EQ(3 * step, document.historyBytes()) << "undone steps count until a new edit clears them";
    addPointAt(document, 99);
    EXPECT_EQ(step, document.historyBytes());

    // A step larger than the bound is kept alone, so the last edit can always be undone.
    FigureDocument small(figureOf({5, 5, 5, 5, 5, 5}, {5, 5, 5, 5}), 1);
    addPointAt(small, 1);
    EXPECT_TRUE(small.edit(EditKind::pointsDeleted, [](Figure& figure, FigureEdit& edit) {
        return deletePointsAt(figure, 5, 5, &edit);
    }));
    EXPECT_EQ(1u, small.undoSteps());
    EXPECT_EQ(EditKind::pointsDeleted, small.undo());
    EXPECT_EQ(figureOf({5, 5, 5, 5, 5, 5, 1, 0}, {5, 5, 5, 5}), small.figure());
    EXPECT_FALSE(small.undo());

    // The changes kept for a picture are bounded alike: one that shows the
    // figure from before the last change learns only that it must redraw.
    const uint64_t beforeTwo = small.changes().revision();
    addPointAt(small, 2);
    const uint64_t beforeOne = small.changes().revision();
    addPointAt(small, 3);
    EXPECT_FALSE(damageSince(small.changes(), beforeOne).everything);
    EXPECT_TRUE(damageSince(small.changes(), beforeTwo).everything);
}

// A move's step holds every line end it dragged, and the bound counts them:
// a point under many lines makes a step as large as their changes.
TEST(FigureDocument, AMoveCountsTheLinesItDraggedAgainstTheBound) {
    Figure figure = figureOf({0, 0});
    figure.lines.assign(1000, Line{{0, 0}, {9, 9}});
    FigureDocument document(figure);
    ASSERT_TRUE(document.edit(EditKind::pointMoved, [](Figure& edited, FigureEdit& edit) {
        return moveSelectedPointTo(edited, 0, 1, 1, &edit);
    }));
    EXPECT_GE(document.historyBytes(), 1000 * sizeof(ShapeChange<Line>));
}

// A move onto the point's own place changes nothing: no step, and what could
// be redone stays.
TEST(FigureDocument, AnEditThatChangesNothingIsNoStep) {
    FigureDocument document(figureOf({1, 1, 2, 2}));
    addPointAt(document, 3);
    document.undo();
    EXPECT_FALSE(document.edit(EditKind::pointMoved, [](Figure& figure, FigureEdit& edit) {
        return moveSelectedPointTo(figure, 1, 2, 2, &edit);
    }));
    EXPECT_EQ(1u, document.redoSteps());
    EXPECT_EQ(0u, document.undoSteps());
    EXPECT_FALSE(document.edited());
}

TEST(FigureDocument, EditedMeansDifferentFromTheFigureLoadedOrSaved) {
    FigureDocument document;
    document.replace(figureOf({1, 1}));
    EXPECT_FALSE(document.edited());
    addPointAt(document, 2);
    EXPECT_TRUE(document.edited());
    document.markSaved();
    EXPECT_FALSE(document.edited());
    document.undo();
    EXPECT_TRUE(document.edited()) << "the saved figure had the point";
    document.redo();
    EXPECT_FALSE(document.edited());
    document.replace(Figure{});
    EXPECT_FALSE(document.edited());
    EXPECT_FALSE(document.undo()) << "a load starts the history anew";

    // By content, however the figure got there: a point added and deleted
    // again by hand is no edit, from any start.
    FigureDocument made;
    FigureDocument given(figureOf({1, 1}));
    for (FigureDocument* start : {&made, &given}) {
        addPointAt(*start, 7);
        EXPECT_TRUE(start->edited());
        start->edit(EditKind::pointsDeleted,
                    [](Figure& figure, FigureEdit& edit) { return deletePointsAt(figure, 7, 0, &edit); });
        EXPECT_FALSE(start->edited());
        addPointAt(*start, 7);
        start->markSaved();
        start->undo();
        EXPECT_TRUE(start->edited()) << "the saved figure had the point";
    }
}

}  // namespace

}  // namespace figury
