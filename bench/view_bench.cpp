// One full paint of the figure view, the work a hover move causes, at 10k,
// 100k and 1M points and as many lines, in the idle mode (no highlight), the
// delete-point mode (point highlight) and the delete-line mode (the proximity
// test on every line). The canvas only counts the calls, so this is the
// view's own cost; the window benchmark measures it with the real drawing.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <map>
#include <memory>

#include "bench_figures.h"
#include "editor/editor_state.h"
#include "editor/view.h"

namespace figury {

namespace {

class CountingCanvas final : public Canvas {
public:
    int64_t calls = 0;

    void ellipse(int32_t, int32_t, int32_t, int32_t) override { ++calls; }
    void moveTo(int32_t, int32_t) override { ++calls; }
    void lineTo(int32_t, int32_t) override { ++calls; }
    void textOut(int32_t, int32_t, const char*, int) override { ++calls; }
    void createHighlightPen(int) override { ++calls; }
    void selectHighlightPen() override { ++calls; }
};

const Figure& figureOf(int32_t n, bool spread) {
    static std::map<std::pair<int32_t, bool>, std::unique_ptr<Figure>> figures;
    auto& figure = figures[{n, spread}];
    if (!figure) {
        figure = std::make_unique<Figure>(benchFigure(n, spread ? spreadArea : clientArea));
    }
    return *figure;
}

// Arguments: n, edit mode, whether the figure reaches far beyond the window.
void paintAfterHover(benchmark::State& state) {
    const auto n = static_cast<int32_t>(state.range(0));
    EditorState editor;
    editor.document.replace(figureOf(n, state.range(2) != 0));
    editor.editMode = static_cast<EditMode>(state.range(1));
    editor.hoverX = 397;
    editor.hoverY = 285;
    int64_t calls = 0;
    for (auto _ : state) {
        CountingCanvas canvas;
        const Highlight highlight = highlightFor(editor);
        paintFigureView(canvas, editor, highlight);
        calls = canvas.calls;
    }
    state.counters["calls"] = static_cast<double>(calls);
    state.counters["per_element"] = benchmark::Counter(
        2.0 * n, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void sizesAndModes(benchmark::internal::Benchmark* b) {
    for (int64_t spread : {0, 1}) {
        for (int64_t mode : {0, 2, 10}) {
            for (int64_t n : {10000, 100000, 1000000}) {
                b->Args({n, mode, spread});
            }
        }
    }
}

BENCHMARK(paintAfterHover)
    ->Apply(sizesAndModes)
    ->ArgNames({"n", "mode", "spread"})
    ->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace figury

BENCHMARK_MAIN();
