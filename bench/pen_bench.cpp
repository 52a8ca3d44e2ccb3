// The pens' pixel models on the paths a paint takes, in the editor's client
// area: the 1-pixel pen counting every line of a figure into the counted
// picture, the 3-pixel pen counting lines as runs and marking them as bits
// for the red lines' coverage, a hover's cover of the lines near the pointer
// as it moves back and forth, and the 3-pixel pen counting pixel by pixel as
// the start-up check does.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bench_figures.h"
#include "editor/figure_document.h"
#include "render/highlight_coverage.h"
#include "render/near_lines.h"
#include "render/thin_pen_pixels.h"
#include "render/wide_pen_pixels.h"

namespace figury {

namespace {

constexpr int width = clientArea.right - clientArea.left;
constexpr int height = clientArea.bottom - clientArea.top;

const Figure& lines10k() {
    static const Figure figure = benchFigure(10000, clientArea);
    return figure;
}

void setLines(benchmark::State& state) {
    state.counters["per_line"] =
        benchmark::Counter(static_cast<double>(lines10k().lines.size()),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void thinPenCounts(benchmark::State& state) {
    std::vector<uint32_t> counts(size_t{width} * height);
    for (auto _ : state) {
        for (const Line& line : lines10k().lines) {
            countThinPenPixels(line, 1, counts.data(), width, height);
        }
        benchmark::DoNotOptimize(counts.data());
    }
    setLines(state);
}
BENCHMARK(thinPenCounts)->Unit(benchmark::kMillisecond);

void widePenRuns(benchmark::State& state) {
    std::vector<uint32_t> rowEnds(size_t{width + 1} * height);
    std::vector<uint32_t> columnEnds(size_t{width} * (height + 1));
    for (auto _ : state) {
        for (const Line& line : lines10k().lines) {
            countWidePenRuns(line, 1, rowEnds.data(), columnEnds.data(), width, height);
        }
        benchmark::DoNotOptimize(rowEnds.data());
        benchmark::DoNotOptimize(columnEnds.data());
    }
    setLines(state);
}
BENCHMARK(widePenRuns)->Unit(benchmark::kMillisecond);

void widePenBits(benchmark::State& state) {
    const size_t words = width / 64 + 2;
    std::vector<uint64_t> bits(words * height);
    for (auto _ : state) {
        for (const Line& line : lines10k().lines) {
            markWidePenPixels(line, bits.data(), words, width, 0, height);
        }
        benchmark::DoNotOptimize(bits.data());
    }
    setLines(state);
}
BENCHMARK(widePenBits)->Unit(benchmark::kMillisecond);

// Not on a paint's path: the start-up check counts the pixels one by one.
void widePenCounts(benchmark::State& state) {
    std::vector<uint32_t> counts(size_t{width} * height);
    for (auto _ : state) {
        for (const Line& line : lines10k().lines) {
            countWidePenPixels(line, 1, counts.data(), width, height);
        }
        benchmark::DoNotOptimize(counts.data());
    }
    setLines(state);
}
BENCHMARK(widePenCounts)->Unit(benchmark::kMillisecond);

// Argument: the figure's points and lines. The pointer moves between two
// places a few pixels apart, so that each cover counts a few lines in and out.
void hoverCover(benchmark::State& state) {
    const FigureDocument document(benchFigure(static_cast<int32_t>(state.range(0)), clientArea));
    const std::vector<size_t> near[2] = {nearLines(document.figure().lines, 397, 285),
                                         nearLines(document.figure().lines, 401, 288)};
    HighlightCoverage coverage;
    coverage.reset(width, height);
    // Until every line near either place is counted.
    for (int k = 0; k < 400; ++k) {
        coverage.cover(document.figure(), document.changes(), near[k % 2]);
    }
    int k = 0;
    for (auto _ : state) {
        coverage.cover(document.figure(), document.changes(), near[k++ % 2]);
    }
    state.counters["counted"] = static_cast<double>(coverage.lastCounted());
}
BENCHMARK(hoverCover)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace figury

BENCHMARK_MAIN();
