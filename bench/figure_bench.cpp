// Load, save, point deletion and the line proximity test at 10k, 100k and 1M
// points and as many lines, beside two baselines on the 1M file: counting its
// lines as wc -l does, and copying it to a new file synced to the disk. Then
// the journal: the record of a move at 10k and 1M, and reading a journal at
// start. Last what a close costs with nothing edited: reading the file back
// (alone, then as the close does) to know it unchanged by its bytes, finding the figure's text the same
// (nothing is written), and telling an edit undone by hand from an edit.
//
// FIGURY_BENCH_DIR names a folder for the generated files and keeps them
// (to time other tools on them); otherwise a temporary folder is used and
// removed at exit.
//
// FIGURY_BENCH_WARM=1 keeps freed memory in the process, so that each load and
// save reuses pages touched before, as a long-running editor does. Without it
// every large buffer starts on fresh pages, whose first touch costs far more
// on some virtual machines than the work done in them.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "editor/modes.h"
#include "figure/bytes_hash.h"
#include "figure/figure.h"
#include "figure/figure_edit.h"
#include "figure/figure_file.h"
#include "figure/file_stamp.h"
#include "figure/journal.h"
#include "figure/line_proximity.h"

namespace figury {

namespace {

namespace fs = std::filesystem;

class BenchFolder {
public:
    BenchFolder() {
        if (const char* kept = std::getenv("FIGURY_BENCH_DIR")) {
            path_ = kept;
            keep_ = true;
        } else {
            std::random_device entropy;
            path_ = fs::temp_directory_path() / ("figury-bench-" + std::to_string(entropy()));
        }
        fs::create_directories(path_);
    }
    ~BenchFolder() {
        if (!keep_) {
            std::error_code ignored;
            fs::remove_all(path_, ignored);
        }
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    fs::path path_;
    bool keep_ = false;
};

const BenchFolder& folder() {
    static const BenchFolder instance;
    return instance;
}

// n points with random coordinates and n lines between random points.
Figure randomFigure(int32_t n) {
    std::mt19937 random(static_cast<unsigned>(n));
    std::uniform_int_distribution<int32_t> coordinate(0, 99999);
    std::uniform_int_distribution<int32_t> pointIndex(0, n - 1);
    Figure figure;
    figure.points.reserve(static_cast<size_t>(n));
    for (int32_t k = 0; k < n; ++k) {
        const int32_t x = coordinate(random);
        addPoint(figure, x, coordinate(random));
    }
    figure.lines.reserve(static_cast<size_t>(n));
    for (int32_t k = 0; k < n; ++k) {
        const Point first = figure.points[static_cast<size_t>(pointIndex(random))];
        figure.lines.push_back({first, figure.points[static_cast<size_t>(pointIndex(random))]});
    }
    return figure;
}

const Figure& figureOf(int32_t n) {
    static std::map<int32_t, std::unique_ptr<Figure>> figures;
    auto& figure = figures[n];
    if (!figure) {
        figure = std::make_unique<Figure>(randomFigure(n));
    }
    return *figure;
}

// The figure of n points written by the writer.
const std::string& fileOf(int32_t n) {
    static std::map<int32_t, std::string> files;
    std::string& path = files[n];
    if (path.empty()) {
        path = folder().file("figure-" + std::to_string(n) + ".obj");
        if (!saveFigure(figureOf(n), path.c_str())) {
            throw std::runtime_error("cannot write " + path);
        }
    }
    return path;
}

void perElement(benchmark::State& state, int64_t elements) {
    state.SetItemsProcessed(state.iterations() * elements);
    state.counters["per_element"] =
        benchmark::Counter(static_cast<double>(elements),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void loadFigureFile(benchmark::State& state) {
    const auto n = static_cast<int32_t>(state.range(0));
    const std::string& path = fileOf(n);
    state.counters["bytes"] = static_cast<double>(fs::file_size(path));
    for (auto _ : state) {
        Figure figure;
        if (!loadFigure(figure, path.c_str())) {
            state.SkipWithError("load failed");
            break;
        }
        benchmark::DoNotOptimize(figure.points.data());
    }
    perElement(state, 2 * int64_t{n});  // n point records and n line records
}

void saveFigureFile(benchmark::State& state) {
    const auto n = static_cast<int32_t>(state.range(0));
    const Figure& figure = figureOf(n);
    const std::string path = folder().file("saved-" + std::to_string(n) + ".obj");
    for (auto _ : state) {
        if (!saveFigure(figure, path.c_str())) {
            state.SkipWithError("save failed");
            break;
        }
    }
    perElement(state, 2 * int64_t{n});
}

// A figure whose first point, apart from all others, carries a tenth of the lines.
Figure figureWithHub(int32_t n) {
    Figure figure = figureOf(n);
    figure.points[0] = {-1000, -1000};
    for (size_t k = 0; k < figure.lines.size(); k += 10) {
        figure.lines[k].first = {-1000, -1000};
    }
    return figure;
}

void deletePointWithManyLines(benchmark::State& state) {
    const auto n = static_cast<int32_t>(state.range(0));
    const Figure start = figureWithHub(n);
    for (auto _ : state) {
        state.PauseTiming();
        Figure figure = start;
        state.ResumeTiming();
        if (!deletePointsAt(figure, -1000, -1000) || figure.lines.size() != static_cast<size_t>(n - n / 10)) {
            state.SkipWithError("unexpected deletion");
            break;
        }
    }
    perElement(state, 2 * int64_t{n});
}

// The hub's point moved: one point and its three lines changed, as most
// moves are.
FigureEdit moveOfAPointWithThreeLines(int32_t n) {
    Figure figure = figureOf(n);
    figure.points[0] = {-1000, -1000};
    for (size_t k = 0; k < 3; ++k) {
        figure.lines[k].first = {-1000, -1000};
    }
    FigureEdit edit;
    moveSelectedPointTo(figure, 0, -2000, -2000, &edit);
    return edit;
}

// The record a move adds to the journal, checksum included: what the
// journal adds to a step, the same at every size of figure.
void journalRecordOfAMove(benchmark::State& state) {
    const auto n = static_cast<int32_t>(state.range(0));
    const FigureEdit edit = moveOfAPointWithThreeLines(n);
    if (edit.pointsChanged.size() != 1 || edit.linesChanged.size() != 3) {
        state.SkipWithError("unexpected move");
        return;
    }
    std::vector<char> record;
    for (auto _ : state) {
        record.clear();
        encodeJournalStep(record, 1, JournalStepKind::edit, 2, edit);
        benchmark::DoNotOptimize(record.data());
    }
    state.counters["bytes"] = static_cast<double>(record.size());
}

// Reading at start a journal of the figure's file and a thousand moves after
// it: the base's hash and copy, then the records.
void journalReadAfterAThousandMoves(benchmark::State& state) {
    const auto n = static_cast<int32_t>(state.range(0));
    const std::vector<char> base = figureFileText(figureOf(n));
    std::vector<char> journal = encodeJournalHeader(base.size(), bytesHash(base.data(), base.size()),
                                                    JournalBaseOrigin::figureFile, 1);
    journal.insert(journal.end(), base.begin(), base.end());
    const FigureEdit edit = moveOfAPointWithThreeLines(n);
    for (int k = 0; k < 1000; ++k) {
        encodeJournalStep(journal, 1, JournalStepKind::edit, 2, edit);
    }
    for (auto _ : state) {
        const JournalContents contents = readJournal(journal.data(), journal.size());
        if (contents.steps.size() != 1000) {
            state.SkipWithError("unexpected journal");
            break;
        }
    }
    state.counters["bytes"] = static_cast<double>(journal.size());
}

void proximityOverAllLines(benchmark::State& state) {
    const auto n = static_cast<int32_t>(state.range(0));
    const Figure& figure = figureOf(n);
    for (auto _ : state) {
        int near = 0;
        for (const Line& line : figure.lines) {
            near += lineIsNear(line, 50000, 50000);
        }
        benchmark::DoNotOptimize(near);
    }
    perElement(state, n);
}

// Reads the file and counts its line feeds, as wc -l does.
void countLinesBaseline(benchmark::State& state) {
    const auto n = static_cast<int32_t>(state.range(0));
    const std::string& path = fileOf(n);
    std::vector<char> buffer(1 << 18);
    for (auto _ : state) {
        const int file = ::open(path.c_str(), O_RDONLY);
        size_t lines = 0;
        ssize_t got = 0;
        while ((got = ::read(file, buffer.data(), buffer.size())) > 0) {
            lines += static_cast<size_t>(std::count(buffer.data(), buffer.data() + got, '\n'));
        }
        ::close(file);
        benchmark::DoNotOptimize(lines);
    }
    perElement(state, 2 * int64_t{n});
}

// Copies the file to a new one and syncs it to the disk.
void copyWithSyncBaseline(benchmark::State& state) {
    const auto n = static_cast<int32_t>(state.range(0));
    const std::string& path = fileOf(n);
    const std::string copy = folder().file("copy-" + std::to_string(n) + ".obj");
    std::vector<char> buffer(1 << 20);
    for (auto _ : state) {
        const int from = ::open(path.c_str(), O_RDONLY);
        const int to = ::open(copy.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ssize_t got = 0;
        bool copied = from >= 0 && to >= 0;
        while (copied && (got = ::read(from, buffer.data(), buffer.size())) > 0) {
            copied = ::write(to, buffer.data(), static_cast<size_t>(got)) == got;
        }
        copied = copied && ::fsync(to) == 0;
        ::close(from);
        ::close(to);
        if (!copied) {
            state.SkipWithError("copy failed");
            break;
        }
    }
    perElement(state, 2 * int64_t{n});
}

// The look at the file before a save: one read of it and the hash of its bytes.
void readFileBack(benchmark::State& state) {
    const auto n = static_cast<int32_t>(state.range(0));
    const std::string& path = fileOf(n);
    std::vector<char> bytes;
    for (auto _ : state) {
        benchmark::DoNotOptimize(readStampedFile(path.c_str(), bytes).hash);
    }
    perElement(state, 2 * int64_t{n});
}

// The file as the writer left it, loaded; each close finds it unchanged and
// its bytes the figure's text, so it writes nothing.
void closeWithNothingEdited(benchmark::State& state) {
    const auto n = static_cast<int32_t>(state.range(0));
    const std::string& path = fileOf(n);
    EditorState editor;
    if (loadAtStart(editor, path.c_str())) {
        state.SkipWithError("load failed");
        return;
    }
    for (auto _ : state) {
        if (saveAtClose(editor, ChangedFile::ask, path.c_str()) != SaveOutcome::written) {
            state.SkipWithError("the close did not find the file its own");
            break;
        }
        editor.saveSettled = false;
    }
    perElement(state, 2 * int64_t{n});
}

// A point added and deleted again: edited() compares the whole figure with
// the one loaded.
void editedAfterAnEditUndoneByHand(benchmark::State& state) {
    const auto n = static_cast<int32_t>(state.range(0));
    FigureDocument document(figureOf(n));
    for (auto _ : state) {
        state.PauseTiming();
        document.edit(EditKind::pointAdded, [](Figure& figure, FigureEdit& edit) {
            addPoint(figure, -7, -7, &edit);
            return true;
        });
        document.edit(EditKind::pointsDeleted,
                      [](Figure& figure, FigureEdit& edit) { return deletePointsAt(figure, -7, -7, &edit); });
        state.ResumeTiming();
        if (document.edited()) {
            state.SkipWithError("an edit undone by hand counted as an edit");
            break;
        }
    }
    perElement(state, 2 * int64_t{n});
}

}  // namespace

BENCHMARK(loadFigureFile)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(countLinesBaseline)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(saveFigureFile)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(copyWithSyncBaseline)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(deletePointWithManyLines)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(journalRecordOfAMove)->Arg(10000)->Arg(1000000)->Unit(benchmark::kNanosecond);
BENCHMARK(journalReadAfterAThousandMoves)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(proximityOverAllLines)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(readFileBack)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(closeWithNothingEdited)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(editedAfterAnEditUndoneByHand)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace figury

using namespace figury;

int main(int argc, char** argv) {
    if (const char* warm = std::getenv("FIGURY_BENCH_WARM"); warm && std::string(warm) == "1") {
        mallopt(M_MMAP_THRESHOLD, 1 << 30);
        mallopt(M_TRIM_THRESHOLD, 1 << 30);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
