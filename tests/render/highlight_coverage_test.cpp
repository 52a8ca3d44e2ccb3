#include "render/highlight_coverage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <numeric>
#include <random>
#include <string>

#include "editor/figure_document.h"
#include "render/wide_pen_pixels.h"
#include "figure/figure.h"
#include "render/near_lines.h"
#include "support/scripted_schedule.h"

namespace figury {

namespace {

using testing_support::everyScript;
using testing_support::ScriptedSchedule;
using testing_support::typicalSchedules;

constexpr int width = 160;
constexpr int height = 120;

// Lines among points in and around the area, and a few touching far out,
// some beyond what can be counted.
Figure crowdedFigure() {
    std::mt19937 random(11);
    auto between = [&random](int32_t low, int32_t high) {
        return low + static_cast<int32_t>(random() % static_cast<uint32_t>(high - low));
    };
    Figure figure;
    for (int k = 0; k < 3000; ++k) {
        figure.lines.push_back({{between(-30, width + 30), between(-30, height + 30)},
                                {between(-30, width + 30), between(-30, height + 30)}});
    }
    figure.lines.push_back({{-5000000, 60}, {5000000, 61}});
    figure.lines.push_back({{80, -3000}, {81, 3000}});
    figure.lines.push_back({{5000, 10}, {-5000, 12}});  // each end far beyond one side
    figure.lines.push_back({{7000, -20}, {7001, 200}});
    figure.lines.push_back({{7000, height - 1}, {9000, height - 1}});
    figure.lines.push_back({{-7000, 50}, {-7000, 70}});
    figure.lines.push_back({{80, 60}, {80, 60}});
    return figure;
}

// Each line at the given indices counted once, straight into an area of its
// own.
std::vector<uint32_t> countedOneByOne(const Figure& figure, const std::vector<size_t>& lines, int w, int h) {
    std::vector<uint32_t> counts(size_t(w * h));
    for (size_t k : lines) {
        countWidePenPixels(figure.lines[k], 1, counts.data(), w, h);
    }
    return counts;
}

// The pixels one count or more covers, as 1, in an image of 2s.
std::vector<uint32_t> coveredIn(const std::vector<uint32_t>& counts) {
    std::vector<uint32_t> covered(counts.size());
    std::transform(counts.begin(), counts.end(), covered.begin(),
                   [](uint32_t count) { return count != 0 ? 1u : 2u; });
    return covered;
}

std::vector<uint32_t> painted(const HighlightCoverage& coverage, int w, int h) {
    std::vector<uint32_t> pixels(size_t(w * h), 2u);
    coverage.paint(pixels.data(), 1u);
    return pixels;
}

constexpr size_t everyLine = SIZE_MAX;

// A walk counted line by line in and out must leave the counts a fresh
// count of the lines near the last position gives; edits in between, undone
// and done again, change which line an index names. Found as bits, or
// counted a few lines a hover and the rest found as bits, the same pixels
// are covered. So on one thread and on two, whichever takes which lines.
void walkAndCompare(const Schedule& schedule) {
    FigureDocument document(crowdedFigure());
    HighlightCoverage walked(schedule);
    walked.reset(width, height, everyLine);
    HighlightCoverage bits(schedule);
    bits.reset(width, height, 0);
    HighlightCoverage inShares(schedule);
    inShares.reset(width, height, 40);
    const Point walk[] = {{80, 60}, {81, 60}, {83, 61}, {83, 64}, {20, 100}, {80, 61},
                          {80, 60}, {80, 60}, {80, 60}, {150, 5}, {150, 5}};
    for (size_t step = 0; step < std::size(walk); ++step) {
        if (step == 5) {
            document.edit(EditKind::lineDeleted, [](Figure& figure, FigureEdit& edit) {
                return deleteSelectedLine(figure, 7, &edit);
            });
            document.edit(EditKind::pointMoved, [](Figure& figure, FigureEdit& edit) {
                edit.linesChanged.push_back({100, figure.lines[100], {{0, 0}, {width, height}}});
                figure.lines[100] = edit.linesChanged.back().after;
                return true;
            });
        } else if (step == 7) {
            document.undo();
        } else if (step == 8 || step == 10) {
            document.redo();
        }
        const Point at = walk[step];
        const std::vector<size_t> near = nearLines(document.figure().lines, at.x, at.y);
        ASSERT_FALSE(near.empty());
        walked.cover(document.figure(), document.changes(), near);
        bits.cover(document.figure(), document.changes(), near);
        inShares.cover(document.figure(), document.changes(), near);

        const ScriptedSchedule oneThread = ScriptedSchedule::oneThread();
        HighlightCoverage fresh(oneThread);
        fresh.reset(width, height, everyLine);
        fresh.cover(document.figure(), document.changes(), near);
        SCOPED_TRACE("step " + std::to_string(step));
        EXPECT_EQ(fresh.counts(), walked.counts());

        const std::vector<uint32_t> direct = countedOneByOne(document.figure(), near, width, height);
        EXPECT_EQ(direct, walked.counts());
        EXPECT_EQ(coveredIn(direct), painted(bits, width, height));
        EXPECT_EQ(coveredIn(direct), painted(inShares, width, height));
        std::vector<size_t> uncountable;
        std::copy_if(near.begin(), near.end(), std::back_inserter(uncountable),
                     [&document](size_t k) { return !widePenCountable(document.figure().lines[k]); });
        EXPECT_EQ(uncountable, inShares.uncountable());
    }

    // Taken to another size, it counts afresh there: every line, counted or
    // found as bits.
    walked.reset(width / 2, height + 7, everyLine);
    bits.reset(width / 2, height + 7, 0);
    std::vector<size_t> near(document.figure().lines.size());
    std::iota(near.begin(), near.end(), size_t{0});
    walked.cover(document.figure(), document.changes(), near);
    bits.cover(document.figure(), document.changes(), near);
    const std::vector<uint32_t> direct = countedOneByOne(document.figure(), near, width / 2, height + 7);
    EXPECT_EQ(direct, walked.counts());
    EXPECT_EQ(coveredIn(direct), painted(bits, width / 2, height + 7));
}

TEST(HighlightCoverage, CountingInAndOutEndsAsCountingAfresh) {
    for (const ScriptedSchedule& schedule : typicalSchedules()) {
        SCOPED_TRACE(schedule.name());
        walkAndCompare(schedule);
    }
}

// A count on two threads shares its lines out in batches, the second thread
// counting the runs along columns first; whichever thread takes which batch,
// and in whatever order, the counts are those one thread counts, as lines
// are counted in, and out and in again.
TEST(HighlightCoverage, CountsOnTwoThreadsInEveryOrderAsOnOne) {
    const FigureDocument document(crowdedFigure());
    const auto linesFrom = [](size_t from, size_t to, size_t every) {
        std::vector<size_t> lines;
        for (size_t k = from; k < to; k += every) {
            lines.push_back(k);
        }
        return lines;
    };
    // 700 lines in; then 350 out and 350 in, twice.
    const std::vector<size_t> steps[] = {linesFrom(0, 700, 1), linesFrom(350, 1050, 1),
                                         linesFrom(0, 1400, 2)};
    std::vector<std::vector<uint32_t>> countedAlone;
    const ScriptedSchedule oneThread = ScriptedSchedule::oneThread();
    HighlightCoverage alone(oneThread);
    alone.reset(width, height, everyLine);
    for (const std::vector<size_t>& lines : steps) {
        alone.cover(document.figure(), document.changes(), lines);
        countedAlone.push_back(alone.counts());
        ASSERT_EQ(countedOneByOne(document.figure(), lines, width, height), countedAlone.back());
    }
    constexpr size_t moves = 5;
    for (const ScriptedSchedule& schedule : everyScript(moves)) {
        SCOPED_TRACE(schedule.name());
        HighlightCoverage shared(schedule);
        shared.reset(width, height, everyLine);
        for (size_t step = 0; step < std::size(steps); ++step) {
            shared.cover(document.figure(), document.changes(), steps[step]);
            EXPECT_EQ(countedAlone[step], shared.counts()) << "step " << step;
        }
        // Each count took two parts and three batches: every order of them ran.
        EXPECT_EQ(moves, schedule.mostMoves());
    }
}

// Thousands of lines near each place fill the area many times over, and
// leave most of their rows to pass over: the pixels found as bits are still
// every pixel each line sets, up to the edges of the tiles passed over, on
// one thread or two.
TEST(HighlightCoverage, BitsAmongThousandsOfLinesMissNoPixel) {
    std::mt19937 random(5);
    Figure figure;
    for (int k = 0; k < 40000; ++k) {
        figure.lines.push_back({{int32_t(random() % 200) - 20, int32_t(random() % 160) - 20},
                                {int32_t(random() % 200) - 20, int32_t(random() % 160) - 20}});
    }
    const FigureDocument document(figure);
    for (const ScriptedSchedule& schedule : typicalSchedules()) {
        SCOPED_TRACE(schedule.name());
        HighlightCoverage bits(schedule);
        bits.reset(width, height, 0);
        for (const Point at : {Point{80, 60}, Point{5, 5}, Point{150, 100}, Point{30, 90}}) {
            const std::vector<size_t> near = nearLines(figure.lines, at.x, at.y);
            ASSERT_GT(near.size(), 1000u);
            bits.cover(document.figure(), document.changes(), near);
            EXPECT_EQ(coveredIn(countedOneByOne(figure, near, width, height)), painted(bits, width, height));
        }
    }
}

// A window wider than 64 tiles of 16 pixels takes wider tiles, and one taller
// than a region of rows shares its regions between the threads, in every
// order at the width where the tiles first widen; the second cover counts a
// share in and finds the rest as bits on them.
TEST(HighlightCoverage, BitsInRegionsSharedInEveryOrderMissNoPixel) {
    constexpr int tall = 300;  // three regions
    for (const int wide : {1039, 1100}) {
        std::mt19937 random(7);
        Figure across;
        const auto around = [&random](int size) { return int32_t(random() % uint32_t(size + 40)) - 20; };
        for (int k = 0; k < 1200; ++k) {
            across.lines.push_back({{around(wide), around(tall)}, {around(wide), around(tall)}});
        }
        const FigureDocument document(across);
        std::vector<size_t> lines[2];
        std::vector<uint32_t> direct[2];
        for (size_t cover = 0; cover < 2; ++cover) {
            for (size_t k = 0; k < across.lines.size(); k += cover == 0 ? 1 : 7) {
                lines[cover].push_back(k);
            }
            direct[cover] = coveredIn(countedOneByOne(across, lines[cover], wide, tall));
        }
        constexpr size_t moves = 5;
        for (const ScriptedSchedule& schedule : wide == 1039 ? everyScript(moves) : typicalSchedules()) {
            for (const size_t share : {size_t{0}, size_t{300}}) {
                HighlightCoverage coverage(schedule);
                coverage.reset(wide, tall, share);
                for (size_t cover = 0; cover < 2; ++cover) {
                    coverage.cover(document.figure(), document.changes(), lines[cover]);
                    SCOPED_TRACE(std::to_string(wide) + " wide, " + schedule.name() + ", a share of " +
                                 std::to_string(share) + ", cover " + std::to_string(cover));
                    EXPECT_EQ(direct[cover], painted(coverage, wide, tall));
                }
            }
            // Two parts and three regions, or two batches of lines counted:
            // every script of as many moves ran every order of them.
            EXPECT_LE(schedule.mostMoves(), moves);
        }
    }
}

// Deleting a line moves every later line's index, but no later line: the
// next hover counts only the line that went.
TEST(HighlightCoverage, ADeletionCountsOutOnlyTheLineThatWent) {
    FigureDocument document(crowdedFigure());
    HighlightCoverage coverage;
    coverage.reset(width, height, everyLine);
    const std::vector<size_t> near = nearLines(document.figure().lines, 80, 60);
    coverage.cover(document.figure(), document.changes(), near);
    ASSERT_GT(near.size(), 100u);
    const size_t deleted = near[near.size() / 2];
    document.edit(EditKind::lineDeleted, [deleted](Figure& figure, FigureEdit& edit) {
        return deleteSelectedLine(figure, deleted, &edit);
    });
    coverage.cover(document.figure(), document.changes(), nearLines(document.figure().lines, 80, 60));
    EXPECT_EQ(1u, coverage.lastCounted());
    document.undo();
    coverage.cover(document.figure(), document.changes(), nearLines(document.figure().lines, 80, 60));
    EXPECT_EQ(1u, coverage.lastCounted());
}

// A move changes a counted line where it stands: its index stays and it stays
// near, but its pixels are no longer where they were counted.
TEST(HighlightCoverage, ALineChangedInPlaceIsCountedOutAndInAgain) {
    FigureDocument document(crowdedFigure());
    HighlightCoverage coverage;
    coverage.reset(width, height, everyLine);
    coverage.cover(document.figure(), document.changes(), nearLines(document.figure().lines, 80, 60));
    const size_t changed = nearLines(document.figure().lines, 80, 60).front();
    document.edit(EditKind::pointMoved, [changed](Figure& figure, FigureEdit& edit) {
        edit.linesChanged.push_back({changed, figure.lines[changed], {{0, 0}, {width, height}}});
        figure.lines[changed] = edit.linesChanged.back().after;
        return true;
    });
    const std::vector<size_t> near = nearLines(document.figure().lines, 80, 60);
    ASSERT_EQ(changed, near.front());
    coverage.cover(document.figure(), document.changes(), near);
    HighlightCoverage fresh;
    fresh.reset(width, height, everyLine);
    fresh.cover(document.figure(), document.changes(), near);
    EXPECT_EQ(fresh.counts(), coverage.counts());
}

// Counting any line in and out again leaves nothing, and touches nothing
// outside the area (the sanitizers watch).
TEST(HighlightCoverage, EveryLineCountsOutAsItCountsIn) {
    const Figure figure = crowdedFigure();
    std::vector<uint32_t> counts(width * height);
    for (const Line& line : figure.lines) {
        countWidePenPixels(line, 1, counts.data(), width, height);
    }
    EXPECT_NE(std::vector<uint32_t>(counts.size()), counts);
    for (const Line& line : figure.lines) {
        countWidePenPixels(line, ~uint32_t{0}, counts.data(), width, height);
    }
    EXPECT_EQ(std::vector<uint32_t>(counts.size()), counts);
}

}  // namespace

}  // namespace figury
