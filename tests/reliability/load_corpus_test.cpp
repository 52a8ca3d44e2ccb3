// Loads every file of the loader's fuzzing corpus, the hand-made seeds and
// each fuzzer finding kept there, with the checks the fuzzer makes. Under the
// sanitizer build this is the regression suite for hostile figure files.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "figure/figure.h"
#include "figure_checks.h"
#include "figure/figure_file.h"
#include "support/figures.h"
#include "support/files.h"

namespace figury {

using testing_support::ScratchDir;

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> corpusFiles() {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(FIGURY_LOAD_CORPUS)) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path());
        }
    }
    return files;
}

TEST(LoadCorpus, EveryFileLoadsSoundlyOrNotAtAll) {
    const std::vector<fs::path> files = corpusFiles();
    ASSERT_GE(files.size(), 15u) << "the seed corpus is missing";
    ScratchDir dir;
    const std::string copy = dir.file("copy.obj");
    int loaded = 0;
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        Figure figure = testing_support::makeFigure({{5, 5}}, {{1, 1}});
        const Figure before = figure;
        if (!loadFigure(figure, file.string().c_str())) {
            EXPECT_EQ(before, figure);
            continue;
        }
        ++loaded;
        EXPECT_FALSE(figure.points.empty());
        const auto countBound = std::max<uintmax_t>(fs::file_size(file), uintmax_t{1} << 24);
        EXPECT_LE(figure.points.size(), countBound);
        EXPECT_LE(figure.lines.size(), countBound);
        EXPECT_EQ("", figure_checks::figureFault(figure));
        EXPECT_EQ("", figure_checks::roundTripFault(figure, copy.c_str()));
    }
    // Both outcomes must be exercised, or the corpus has lost its point.
    EXPECT_GT(loaded, 0);
    EXPECT_LT(loaded, static_cast<int>(files.size()));
}

}  // namespace

}  // namespace figury
