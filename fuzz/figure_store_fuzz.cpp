// Every store operation and the line proximity test, in any order, with any
// coordinates and any selection index, optionally on a figure loaded from the
// input. After every step the figure must be sound; a save and load of it
// must give it back, checked as a step of its own and at the end. What each
// edit records must undo it to the figure before and redo it to the figure
// after, exactly.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "figure/figure.h"
#include "figure/figure_edit.h"
#include "figure_checks.h"
#include "figure/figure_file.h"
#include "figure/line_proximity.h"
#include "scratch_file.h"

namespace figury {

namespace {

void fail(const std::string& fault, size_t step) {
    std::fprintf(stderr, "figure_store_fuzz: step %zu: %s\n", step, fault.c_str());
    std::abort();
}

enum class Step {
    addPoint,
    deletePointsAt,
    selectPointAt,
    moveSelectedPointTo,
    insertLineTo,
    deleteSelectedLine,
    setSelection,
    lineIsNear,
    clear,
    roundTrip,
    kMaxValue = roundTrip,
};

// Picks land on or beside existing points far more often than chance would.
int32_t coordinate(FuzzedDataProvider& input, const Figure& figure, bool vertical) {
    if (!figure.points.empty() && input.ConsumeBool()) {
        const Point point = figure.points[input.ConsumeIntegralInRange<size_t>(0, figure.points.size() - 1)];
        const int64_t near =
            int64_t{vertical ? point.y : point.x} + input.ConsumeIntegralInRange<int32_t>(-7, 7);
        if (near >= INT32_MIN && near <= INT32_MAX) {
            return static_cast<int32_t>(near);
        }
    }
    return input.ConsumeIntegral<int32_t>();
}

bool anyPointUnder(const Figure& figure, int32_t x, int32_t y) {
    return std::any_of(figure.points.begin(), figure.points.end(),
                       [x, y](Point point) { return pointIsUnder(point, x, y); });
}

// The index of the last point under (x, y), or -1.
int64_t lastPointUnder(const Figure& figure, int32_t x, int32_t y) {
    int64_t found = -1;
    for (size_t k = 0; k < figure.points.size(); ++k) {
        if (pointIsUnder(figure.points[k], x, y)) {
            found = static_cast<int64_t>(k);
        }
    }
    return found;
}

void checkProximity(const Line& line, int32_t x, int32_t y, size_t step) {
    const bool near = lineIsNear(line, x, y);
    const auto [x1, y1] = line.first;
    const auto [x2, y2] = line.second;
    if (near && !lineMayBeNear(line, x, y)) {
        fail("the cheap test turns a near line away", step);
    }
    if (line.first == line.second && near) {
        fail("a line of zero length is near", step);
    }
    // Exactly on an end the other end is as far away as the line is long;
    // only coordinates that single precision holds exactly keep that true.
    constexpr int32_t exact = 1 << 24;
    auto held = [](int32_t v) { return v >= -exact && v <= exact; };
    const bool onAnEnd = (x == x1 && y == y1) || (x == x2 && y == y2);
    if (onAnEnd && near && held(x1) && held(y1) && held(x2) && held(y2)) {
        fail("a pointer on a line's end is near", step);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const figure_checks::ScratchFolder folder;
    static const std::string path = folder.file("obiekt.obj");
    FuzzedDataProvider input(data, size);

    Figure figure;
    size_t selection = 0;
    if (input.ConsumeBool()) {
        const std::string text = input.ConsumeRandomLengthString(4096);
        figure_checks::writeWholeFile(path, text.data(), text.size());
        loadFigure(figure, path.c_str());
        // A short file's last record repeated can make millions of points
        // (figure_load_fuzz checks those); every step here copies and checks
        // the whole figure, so steps on them would only spend the time limit.
        if (figure.points.size() + figure.lines.size() > (size_t{1} << 14)) {
            return 0;
        }
    }
    size_t step = 0;
    std::string fault = figure_checks::figureFault(figure);
    if (!fault.empty()) {
        fail("loaded: " + fault, step);
    }

    while (input.remaining_bytes() > 0) {
        ++step;
        const Figure before = figure;
        FigureEdit edit;
        bool edits = true;  // the step is one that records what it changed
        const int32_t x = coordinate(input, figure, false);
        const int32_t y = coordinate(input, figure, true);
        switch (input.ConsumeEnum<Step>()) {
            case Step::addPoint:
                addPoint(figure, x, y, &edit);
                if (figure.points.size() != before.points.size() + 1 || figure.points.back() != Point{x, y}) {
                    fail("add point did not append", step);
                }
                break;
            case Step::deletePointsAt: {
                const bool result = deletePointsAt(figure, x, y, &edit);
                if (result != anyPointUnder(before, x, y) || anyPointUnder(figure, x, y)) {
                    fail("delete points at left a point under the position or reported wrongly", step);
                }
                break;
            }
            case Step::selectPointAt: {
                edits = false;
                const size_t old = selection;
                const bool result = selectPointAt(figure, x, y, selection);
                const int64_t expected = lastPointUnder(figure, x, y);
                if (result != (expected >= 0) ||
                    selection != (expected >= 0 ? static_cast<size_t>(expected) : old)) {
                    fail("select point at picked the wrong point", step);
                }
                break;
            }
            case Step::moveSelectedPointTo: {
                const bool valid = selection < figure.points.size();
                const bool result = moveSelectedPointTo(figure, selection, x, y, &edit);
                if (valid ? !result || figure.points[selection] != Point{x, y} : result || before != figure) {
                    fail("move selected point to did not move exactly the selected point", step);
                }
                break;
            }
            case Step::insertLineTo: {
                const bool possible = selection < figure.points.size() && anyPointUnder(figure, x, y);
                const bool result = insertLineTo(figure, selection, x, y, &edit);
                if (result != possible || figure.lines.size() != before.lines.size() + (result ? 1 : 0)) {
                    fail("insert line to reported wrongly", step);
                }
                break;
            }
            case Step::deleteSelectedLine: {
                const bool valid = selection < figure.lines.size();
                const bool result = deleteSelectedLine(figure, selection, &edit);
                if (result != valid || figure.lines.size() + (result ? 1 : 0) != before.lines.size()) {
                    fail("delete selected line reported wrongly", step);
                }
                break;
            }
            case Step::setSelection:
                edits = false;
                // What the editor may hold: any index, or one left over from a
                // figure that has shrunk since.
                selection = input.ConsumeBool() ? static_cast<uint32_t>(x) : static_cast<size_t>(y % 64 + 64);
                break;
            case Step::lineIsNear:
                edits = false;
                if (!figure.lines.empty() && input.ConsumeBool()) {
                    const size_t k = input.ConsumeIntegralInRange<size_t>(0, figure.lines.size() - 1);
                    checkProximity(figure.lines[k], x, y, step);
                } else {
                    const auto x2 = input.ConsumeIntegral<int32_t>();
                    const auto y2 = input.ConsumeIntegral<int32_t>();
                    checkProximity({{x, y}, {x2, y2}}, input.ConsumeIntegral<int32_t>(),
                                   input.ConsumeIntegral<int32_t>(), step);
                }
                break;
            case Step::clear:
                edits = false;
                clear(figure);
                break;
            case Step::roundTrip:
                edits = false;
                fault = figure_checks::roundTripFault(figure, path.c_str());
                if (!fault.empty()) {
                    fail(fault, step);
                }
                break;
        }
        fault = figure_checks::figureFault(figure);
        if (!fault.empty()) {
            fail(fault, step);
        }
        if (edits) {
            Figure again = figure;
            undoEdit(again, edit);
            if (again != before) {
                fail("undoing the edit did not give back the figure before it", step);
            }
            redoEdit(again, edit);
            if (again != figure) {
                fail("redoing the edit did not give the figure after it", step);
            }
            if (edit.empty() != (figure == before)) {
                fail("the edit recorded a change that was not made, or missed one", step);
            }
        }
    }
    fault = figure_checks::roundTripFault(figure, path.c_str());
    if (!fault.empty()) {
        fail("at the end: " + fault, step);
    }
    return 0;
}

}  // namespace figury
