#pragma once

// What must hold for every figure, however it was made: shared by the fuzzers
// and by the tests that replay their corpus. Each check returns "" when the
// figure is sound, else a description of the fault.

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_set>

#include "figure.h"
#include "figure_file.h"

namespace figure_checks {

inline uint64_t coordinateKey(int32_t x, int32_t y) {
    return (uint64_t{static_cast<uint32_t>(x)} << 32) | static_cast<uint32_t>(y);
}

// The counts equal the sequences' sizes and every line end lies at the
// coordinates of some point.
inline std::string figureFault(const Figure& figure) {
    if (figure.pointCount < 0 || figure.lineCount < 0) {
        return "negative count";
    }
    if (figure.points.size() != 2 * static_cast<size_t>(figure.pointCount)) {
        return "pointCount " + std::to_string(figure.pointCount) + " but " + std::to_string(figure.points.size()) +
               " point elements";
    }
    if (figure.lines.size() != 4 * static_cast<size_t>(figure.lineCount)) {
        return "lineCount " + std::to_string(figure.lineCount) + " but " + std::to_string(figure.lines.size()) +
               " line elements";
    }
    std::unordered_set<uint64_t> places;
    for (size_t i = 0; i < figure.points.size(); i += 2) {
        places.insert(coordinateKey(figure.points[i], figure.points[i + 1]));
    }
    for (size_t j = 0; j < figure.lines.size(); j += 2) {
        if (places.count(coordinateKey(figure.lines[j], figure.lines[j + 1])) == 0) {
            return "line end at element " + std::to_string(j) + " (" + std::to_string(figure.lines[j]) + ", " +
                   std::to_string(figure.lines[j + 1]) + ") is at no point";
        }
    }
    return "";
}

inline bool sameFigure(const Figure& a, const Figure& b) {
    return a.pointCount == b.pointCount && a.lineCount == b.lineCount && a.points == b.points && a.lines == b.lines;
}

// Saving to path and loading it back gives the same figure; a figure without
// points is written with the count 0, which no load accepts.
inline std::string roundTripFault(const Figure& figure, const char* path) {
    if (saveFigure(figure, path) != 1) {
        return "save failed";
    }
    Figure loaded;
    loaded.pointCount = -7;  // a failed load must leave this alone
    const int result = loadFigure(loaded, path);
    if (figure.pointCount == 0) {
        if (result != 0 || loaded.pointCount != -7) {
            return "a figure without points loaded back";
        }
        return "";
    }
    if (result != 1) {
        return "the saved figure did not load";
    }
    if (!sameFigure(figure, loaded)) {
        return "the saved figure loaded back different";
    }
    return "";
}

}  // namespace figure_checks
