// Every store operation and the line proximity test, in any order, with any
// coordinates and any selection index, optionally on a figure loaded from the
// input. After every step the figure must be sound; a save and load of it
// must give it back, checked as a step of its own and at the end.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "figure.h"
#include "figure_checks.h"
#include "figure_file.h"
#include "line_proximity.h"
#include "scratch_file.h"

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
int32_t coordinate(FuzzedDataProvider& input, const Figure& figure, size_t axis) {
    if (figure.pointCount > 0 && input.ConsumeBool()) {
        const size_t k = input.ConsumeIntegralInRange<size_t>(0, static_cast<size_t>(figure.pointCount) - 1);
        const int64_t near = int64_t{figure.points[2 * k + axis]} + input.ConsumeIntegralInRange<int32_t>(-7, 7);
        if (near >= INT32_MIN && near <= INT32_MAX) {
            return static_cast<int32_t>(near);
        }
    }
    return input.ConsumeIntegral<int32_t>();
}

bool anyPointUnder(const Figure& figure, int32_t x, int32_t y) {
    for (size_t i = 0; i < figure.points.size(); i += 2) {
        if (pointIsUnder(figure.points[i], figure.points[i + 1], x, y)) {
            return true;
        }
    }
    return false;
}

int32_t lastPointUnder(const Figure& figure, int32_t x, int32_t y) {
    int32_t found = -1;
    for (size_t i = 0; i < figure.points.size(); i += 2) {
        if (pointIsUnder(figure.points[i], figure.points[i + 1], x, y)) {
            found = static_cast<int32_t>(i);
        }
    }
    return found;
}

bool isPointIndex(const Figure& figure, int32_t index) {
    return index >= 0 && index % 2 == 0 && static_cast<size_t>(index) < figure.points.size();
}

bool isLineOffset(const Figure& figure, int32_t index) {
    return index >= 0 && index % 4 == 0 && static_cast<size_t>(index) < figure.lines.size();
}

void checkProximity(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x, int32_t y, size_t step) {
    const bool near = lineIsNear(x1, y1, x2, y2, x, y);
    if (x1 == x2 && y1 == y2 && near) {
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
    int32_t selection = 0;
    if (input.ConsumeBool()) {
        const std::string text = input.ConsumeRandomLengthString(4096);
        figure_checks::writeWholeFile(path, text.data(), text.size());
        loadFigure(figure, path.c_str());
    }
    size_t step = 0;
    std::string fault = figure_checks::figureFault(figure);
    if (!fault.empty()) {
        fail("loaded: " + fault, step);
    }

    while (input.remaining_bytes() > 0) {
        ++step;
        const Figure before = figure;
        const int32_t x = coordinate(input, figure, 0);
        const int32_t y = coordinate(input, figure, 1);
        switch (input.ConsumeEnum<Step>()) {
        case Step::addPoint:
            addPoint(figure, x, y);
            if (figure.pointCount != before.pointCount + 1 || figure.points.back() != y) {
                fail("add point did not append", step);
            }
            break;
        case Step::deletePointsAt: {
            const int result = deletePointsAt(figure, x, y);
            if (result != (anyPointUnder(before, x, y) ? 1 : 0) || anyPointUnder(figure, x, y)) {
                fail("delete points at left a point under the position or reported wrongly", step);
            }
            break;
        }
        case Step::selectPointAt: {
            const int32_t old = selection;
            const int result = selectPointAt(figure, x, y, selection);
            const int32_t expected = lastPointUnder(figure, x, y);
            if (result != (expected >= 0 ? 1 : 0) || selection != (expected >= 0 ? expected : old)) {
                fail("select point at picked the wrong point", step);
            }
            break;
        }
        case Step::moveSelectedPointTo: {
            const bool valid = isPointIndex(figure, selection);
            const int result = moveSelectedPointTo(figure, selection, x, y);
            if (valid ? result != 1 || figure.points[static_cast<size_t>(selection)] != x ||
                            figure.points[static_cast<size_t>(selection) + 1] != y
                      : result != 0 || !figure_checks::sameFigure(before, figure)) {
                fail("move selected point to did not move exactly the selected point", step);
            }
            break;
        }
        case Step::insertLineTo: {
            const bool possible = isPointIndex(figure, selection) && anyPointUnder(figure, x, y);
            const int result = insertLineTo(figure, selection, x, y);
            if (result != (possible ? 1 : 0) || figure.lineCount != before.lineCount + result) {
                fail("insert line to reported wrongly", step);
            }
            break;
        }
        case Step::deleteSelectedLine: {
            const bool valid = isLineOffset(figure, selection);
            const int result = deleteSelectedLine(figure, selection);
            if (result != (valid ? 1 : 0) || figure.lineCount != before.lineCount - result) {
                fail("delete selected line reported wrongly", step);
            }
            break;
        }
        case Step::setSelection:
            // What the editor may hold: any point index, any line offset, or
            // one left over from a figure that has shrunk since.
            selection = input.ConsumeBool() ? x : 2 * (y % 64);
            break;
        case Step::lineIsNear:
            if (figure.lineCount > 0 && input.ConsumeBool()) {
                const size_t k = input.ConsumeIntegralInRange<size_t>(0, static_cast<size_t>(figure.lineCount) - 1);
                const int32_t* line = &figure.lines[4 * k];
                checkProximity(line[0], line[1], line[2], line[3], x, y, step);
            } else {
                const auto x2 = input.ConsumeIntegral<int32_t>();
                const auto y2 = input.ConsumeIntegral<int32_t>();
                checkProximity(x, y, x2, y2, input.ConsumeIntegral<int32_t>(), input.ConsumeIntegral<int32_t>(),
                               step);
            }
            break;
        case Step::clear:
            clear(figure);
            figure.pointCount = 0;
            figure.lineCount = 0;
            break;
        case Step::roundTrip:
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
    }
    fault = figure_checks::roundTripFault(figure, path.c_str());
    if (!fault.empty()) {
        fail("at the end: " + fault, step);
    }
    return 0;
}
