// Any bytes as the figure file: the load either fails and leaves the figure
// alone, or gives a sound figure that saves and loads back unchanged.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "figure/figure.h"
#include "figure_checks.h"
#include "figure/figure_file.h"
#include "scratch_file.h"

namespace figury {

namespace {

void fail(const std::string& fault) {
    std::fprintf(stderr, "figure_load_fuzz: %s\n", fault.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const figure_checks::ScratchFolder folder;
    static const std::string input = folder.file("obiekt.obj");
    static const std::string copy = folder.file("copy.obj");
    figure_checks::writeWholeFile(input, data, size);

    Figure figure;
    figure.points = {{5, 5}};
    figure.lines = {{{5, 5}, {5, 5}}};
    const Figure before = figure;

    if (!loadFigure(figure, input.c_str())) {
        if (before != figure) {
            fail("a failed load changed the figure");
        }
        return 0;
    }
    if (figure.points.empty()) {
        fail("a load succeeded without points");
    }
    // A count is honoured up to the bytes after its header or 2^24, whichever is larger.
    const size_t countBound = std::max<size_t>(size, size_t{1} << 24);
    if (figure.points.size() > countBound || figure.lines.size() > countBound) {
        fail("counts larger than the bound");
    }
    // A figure this large is a short file's last record repeated; checking it
    // whole would only spend the fuzzer's time and memory limits.
    if (figure.points.size() + figure.lines.size() > (size_t{1} << 20)) {
        return 0;
    }
    std::string fault = figure_checks::figureFault(figure);
    if (fault.empty()) {
        fault = figure_checks::roundTripFault(figure, copy.c_str());
    }
    if (!fault.empty()) {
        fail(fault);
    }
    return 0;
}

}  // namespace figury
