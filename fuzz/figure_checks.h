#pragma once

// What must hold for every figure, however it was made: shared by the fuzzers
// and by the tests that replay their corpus. Each check returns "" when the
// figure is sound, else a description of the fault.

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_set>

#include "figure/figure.h"
#include "figure/figure_file.h"

namespace figury {

namespace figure_checks {

inline uint64_t coordinateKey(Point point) {
    return (uint64_t{static_cast<uint32_t>(point.x)} << 32) | static_cast<uint32_t>(point.y);
}

// Every line end lies at the coordinates of some point.
inline std::string figureFault(const Figure& figure) {
    std::unordered_set<uint64_t> places;
    for (const Point& point : figure.points) {
        places.insert(coordinateKey(point));
    }
    for (size_t k = 0; k < figure.lines.size(); ++k) {
        for (const Point& end : {figure.lines[k].first, figure.lines[k].second}) {
            if (places.count(coordinateKey(end)) == 0) {
                return "an end of line " + std::to_string(k) + " (" + std::to_string(end.x) + ", " +
                       std::to_string(end.y) + ") is at no point";
            }
        }
    }
    return "";
}

// Saving to path and loading it back gives the same figure; a figure without
// points is written with the count 0, which no load accepts.
inline std::string roundTripFault(const Figure& figure, const char* path) {
    if (!saveFigure(figure, path)) {
        return "save failed";
    }
    Figure loaded;
    loaded.points.push_back({-7, -7});  // a failed load must leave this alone
    const Figure before = loaded;
    const bool result = loadFigure(loaded, path);
    if (figure.points.empty()) {
        if (result || loaded != before) {
            return "a figure without points loaded back";
        }
        return "";
    }
    if (!result) {
        return "the saved figure did not load";
    }
    if (loaded != figure) {
        return "the saved figure loaded back different";
    }
    return "";
}

}  // namespace figure_checks

}  // namespace figury
