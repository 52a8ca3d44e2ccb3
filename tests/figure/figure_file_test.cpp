#include "figure/figure_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "support/figures.h"
#include "support/files.h"
#include "figure/figure_text.h"
#include "figure/save_steps.h"

namespace figury {

using testing_support::makeFigure;
using testing_support::platformText;
using testing_support::readBytes;
using testing_support::ScratchDir;
using testing_support::writeBytes;

namespace {

using namespace std::string_literals;

// What a failed load must leave alone.
Figure untouchedFigure() {
    return makeFigure({{-1, -2}, {-3, -4}}, {{1, 2}});
}

struct LoadCase {
    const char* name;
    std::string bytes;
    bool result;
    Figure expected;  // ignored when the load fails: the figure stays untouched
};

const std::string threePoints = "PUNKTY 3\n\n100 100\n200 100\n150 200\n\nLINIE 2\n\n1 2\n2 3\n";
const Figure threePointFigure = makeFigure({{100, 100}, {200, 100}, {150, 200}}, {{1, 2}, {2, 3}});

// The text with each "\n" made the given line end.
std::string withLineEnds(const std::string& text, const char* lineEnd) {
    std::string bytes;
    for (char c : text) {
        bytes += c == '\n' ? lineEnd : std::string(1, c);
    }
    return bytes;
}

const std::vector<LoadCase> loadCases = {
    {"writer layout", threePoints, 1, threePointFigure},
    {"CR LF line ends", withLineEnds(threePoints, "\r\n"), 1, threePointFigure},
    {"CR line ends, as classic Mac OS wrote them", withLineEnds(threePoints, "\r"), 1, threePointFigure},
    {"line ends of every kind, mixed; CR CR LF is a line end and an empty line",
     "/ mixed\rPUNKTY 3\r\r\n1 2\r3 4\n\r\n5 6\rLINIE 2\r\n\r1 3\n3 2\r", 1,
     makeFigure({{1, 2}, {3, 4}, {5, 6}}, {{1, 3}, {3, 2}})},
    {"a lone CR ends a record, what follows it is the next line", "PUNKTY 2\n1 2\n3\r4\n", 1,
     makeFigure({{1, 2}, {3, 2}})},
    {"CR line ends, ends inside the point records", "PUNKTY 3\r1 2\r", 1,
     makeFigure({{1, 2}, {1, 2}, {1, 2}})},
    {"comments anywhere, blank-free empty lines",
     "/ before the header\n\nPUNKTY 2\n/x\n1 2\n//\n\n3 4\n/\nLINIE 1\n/ c\n\r\n1 2\n", 1,
     makeFigure({{1, 2}, {3, 4}}, {{1, 2}})},
    {"slash outside the first column is a data line that does not scan", "PUNKTY 2\n1 2\n /3 4\n", 1,
     makeFigure({{1, 2}, {1, 2}})},
    {"blank line is a data line", "PUNKTY 4\n1 2\n \n\t\r\n3 4\n", 1,
     makeFigure({{1, 2}, {1, 2}, {1, 2}, {3, 4}})},
    {"no line section", "PUNKTY 2\n1 2\n3 4\n", 1, makeFigure({{1, 2}, {3, 4}})},
    {"line naming one point twice", "PUNKTY 2\n1 2\n3 4\nLINIE 1\n2 2\n", 1,
     makeFigure({{1, 2}, {3, 4}}, {{2, 2}})},
    {"ends inside the point records: last record repeats", "PUNKTY 9\n1 2\n3 4\n", 1,
     makeFigure({{1, 2}, {3, 4}, {3, 4}, {3, 4}, {3, 4}, {3, 4}, {3, 4}, {3, 4}, {3, 4}})},
    {"ends on a comment inside the point records", "PUNKTY 3\n1 2\n/ end", 1,
     makeFigure({{1, 2}, {1, 2}, {1, 2}})},
    {"ends inside the line records", "PUNKTY 2\n1 1\n2 2\nLINIE 6\n1 2\n2 1\n2 2\n", 1,
     makeFigure({{1, 1}, {2, 2}}, {{1, 2}, {2, 1}, {2, 2}, {2, 2}, {2, 2}, {2, 2}})},
    {"ends on a line record naming no point: nothing repeats", "PUNKTY 2\n1 1\n2 2\nLINIE 5\n1 2\n0 1\n", 1,
     makeFigure({{1, 1}, {2, 2}}, {{1, 2}})},
    {"first point record does not scan", "PUNKTY 2\nx\n5 6\n", 1, makeFigure({{0, 0}, {5, 6}})},
    {"half a record keeps the other value", "PUNKTY 2\n1 2\n7 y\n", 1, makeFigure({{1, 2}, {7, 2}})},
    {"header forms", "PUNKTY2\n1 2\n3 4\nLINIE\t+1 lines follow\n2 1 and more\n", 1,
     makeFigure({{1, 2}, {3, 4}}, {{2, 1}})},
    {"white space of every kind", "PUNKTY 2\n\t 1\v\f2\n3 \t4\r\n", 1, makeFigure({{1, 2}, {3, 4}})},
    {"NUL ends what is scanned, not the line", "PUNKTY 2\n1 2\n5\0 7\nLINIE 1\n1 2\n"s, 1,
     makeFigure({{1, 2}, {5, 2}}, {{1, 2}})},
    {"Ctrl-Z ends the file",
     "PUNKTY 3\n1 2\n3 4\n5 6\x1A"
     "7 8\nLINIE 1\n1 2\n",
     1, makeFigure({{1, 2}, {3, 4}, {5, 6}})},
    {"numbers at and past the 32-bit range",
     "PUNKTY 5\n1 2\n2147483648 5\n-2147483648 2147483647\n6 -2147483649\n"
     "0000000000000000000000012 -00000000000000000000034\n",
     1, makeFigure({{1, 2}, {1, 2}, {INT32_MIN, INT32_MAX}, {6, INT32_MAX}, {12, -34}})},
    {"lines naming no point add nothing",
     "PUNKTY 2\n1 1\n2 2\nLINIE 7\n0 1\n3 1\n1 3\n-1 2\n1 2\n2 1\n2 4294967297\n", 1,
     makeFigure({{1, 1}, {2, 2}}, {{1, 2}, {2, 1}, {2, 1}})},
    {"first line record does not scan", "PUNKTY 2\n1 1\n2 2\nLINIE 2\nx\n1 2\n", 1,
     makeFigure({{1, 1}, {2, 2}}, {{1, 2}})},
    {"negative line count", "PUNKTY 2\n1 1\n2 2\nLINIE -1\n1 2\n", 1, makeFigure({{1, 1}, {2, 2}})},
    {"line count far beyond the file", "PUNKTY 1\n1 1\nLINIE 2000000000\n1 1\n", 0, {}},
    {"nothing after the last line record is read", "PUNKTY 2\n1 1\n2 2\nLINIE 1\n1 2\nPUNKTY 9\n9 9\n", 1,
     makeFigure({{1, 1}, {2, 2}}, {{1, 2}})},
    {"long lines are read whole",
     "/" + std::string(700000, 'c') + "\nPUNKTY 3\n1 2" + std::string(600000, ' ') + "3 4\n5 6\n", 1,
     makeFigure({{1, 2}, {5, 6}, {5, 6}})},
    {"a long comment at the end: the record before it repeats", "PUNKTY 3\n1 2\n/" + std::string(700000, 'c'),
     1, makeFigure({{1, 2}, {1, 2}, {1, 2}})},
    {"UTF-8 byte-order mark before the first line", "\xEF\xBB\xBF/ Notepad\nPUNKTY 1\n1 2\n", 1,
     makeFigure({{1, 2}})},
    {"byte-order mark elsewhere is text",
     "PUNKTY 2\n1 2\n\xEF\xBB\xBF"
     "3 4\n",
     1, makeFigure({{1, 2}, {1, 2}})},
    {"empty file", "", 0, {}},
    {"only comments and empty lines", "/a\n\n\r\n/b\n", 0, {}},
    {"point count zero", "PUNKTY 0\n\n\nLINIE 0\n\n", 0, {}},
    {"point count negative", "PUNKTY -3\n1 1\n2 2\n3 3\n", 0, {}},
    {"header not at the start of the line", " PUNKTY 1\n1 1\n", 0, {}},
    {"header word in another case", "punkty 1\n1 1\n", 0, {}},
    {"header without a count", "PUNKTY x\n1 1\n", 0, {}},
    {"point header with no record after it", "PUNKTY 2\n", 0, {}},
    {"point header without a line end and nothing after it", "PUNKTY 1", 0, {}},
    {"point header with only comments and empty lines after it", "PUNKTY 2\r\n/ none yet\r\r\n\n", 0, {}},
    {"point count past the 32-bit range", "PUNKTY 2147483648\n1 1\n", 0, {}},
    {"no header", "1 2\n3 4\n", 0, {}},
    {"point count far beyond the file", "PUNKTY 2000000000\n1 2\n", 0, {}},
    {"byte-order mark of another encoding", "\xFF\xFEPUNKTY 1\n1 2\n", 0, {}},
};

TEST(LoadFigure, FileContents) {
    ScratchDir dir;
    const std::string path = dir.file("obiekt.obj");
    for (const LoadCase& c : loadCases) {
        SCOPED_TRACE(c.name);
        writeBytes(path, c.bytes);
        Figure figure = untouchedFigure();
        ASSERT_EQ(c.result, loadFigure(figure, path.c_str()));
        EXPECT_EQ(c.result ? c.expected : untouchedFigure(), figure);
    }
}

TEST(LoadFigure, MissingOrUnreadablePathFails) {
    ScratchDir dir;
    for (const std::string& path :
         {dir.file("missing.obj"), dir.file("no/such/folder.obj"), dir.path().string()}) {
        SCOPED_TRACE(path);
        Figure figure = untouchedFigure();
        EXPECT_FALSE(loadFigure(figure, path.c_str()));
        EXPECT_EQ(untouchedFigure(), figure);
    }
}

struct ScanCase {
    const char* text;
    int stored;
    int32_t first;
    int32_t second;
};

TEST(ScanPair, FormattedInputRules) {
    const ScanCase cases[] = {
        {"12 34", 2, 12, 34},
        {"  +5\t-6 rest", 2, 5, -6},
        {"1234", 1, 1234, -7},
        {"7 x", 1, 7, -7},
        {"12abc 5", 1, 12, -7},
        {"0x10 5", 1, 0, -7},
        {"x 7", 0, -7, -7},
        {"", 0, -7, -7},
        {"-", 0, -7, -7},
        {"- 5", 0, -7, -7},
        {"+-5", 0, -7, -7},
        {"2147483647 -2147483648", 2, INT32_MAX, INT32_MIN},
        {"2147483648 1", 0, -7, -7},
        {"1 -2147483649", 1, 1, -7},
        {"4294967296 1", 0, -7, -7},            // 0 after a 32-bit wrap
        {"18446744073709551617 1", 0, -7, -7},  // 1 after a 64-bit wrap
        {"00000000000000000000000000042 1", 2, 42, 1},
        {"3\n4", 1, 3, -7},  // the line end is the end of the text
        {"3\r4", 1, 3, -7},  // a CR ends the line too
        {"3\v\f4", 2, 3, 4},
    };
    for (const ScanCase& c : cases) {
        SCOPED_TRACE(c.text);
        int32_t first = -7;
        int32_t second = -7;
        EXPECT_EQ(c.stored, scanPair(c.text, first, second));
        EXPECT_EQ(c.first, first);
        EXPECT_EQ(c.second, second);
    }
}

TEST(ScanHeader, WordAtTheStartThenANumber) {
    const ScanCase cases[] = {
        {"PUNKTY 3", 1, 3, 0},   {"PUNKTY3", 1, 3, 0},    {"PUNKTY\t +3 junk", 1, 3, 0},
        {"PUNKTY\r3", 0, -7, 0}, {"PUNKTY -4", 1, -4, 0}, {" PUNKTY 3", 0, -7, 0},
        {"PUNKT 3", 0, -7, 0},   {"PUNKTYX 3", 0, -7, 0}, {"PUNKTY", 0, -7, 0},
        {"PUNKTY\n3", 0, -7, 0}, {"punkty 3", 0, -7, 0},  {"LINIE 3", 0, -7, 0},
        {"", 0, -7, 0},
    };
    for (const ScanCase& c : cases) {
        SCOPED_TRACE(c.text);
        int32_t count = -7;
        EXPECT_EQ(c.stored, scanHeader(c.text, "PUNKTY", count));
        EXPECT_EQ(c.first, count);
    }
}

// What a reader with the given chunk size hands out: each data line up to its
// line end, then the text it keeps at the end and the bytes read past.
std::vector<std::string> dataLines(const std::string& text, size_t chunkSize) {
    TextInMemory memory{text.data(), text.data() + text.size()};
    LineReader reader(readTextInMemory, &memory, chunkSize);
    std::vector<std::string> lines;
    const auto lineText = [&reader] { return std::string(reader.line(), std::strcspn(reader.line(), "\n")); };
    while (reader.readDataLine()) {
        lines.push_back(lineText());
    }
    lines.push_back("at the end: " + lineText() + ", " + std::to_string(reader.consumed()) + " bytes");
    return lines;
}

TEST(ReadDataLine, SkipsCommentsAndEmptyLinesAndKeepsTheLastDataLineAtTheEnd) {
    EXPECT_EQ((std::vector<std::string>{"B", " /c", "at the end:  /c, 17 bytes"}),
              dataLines("/a\n\n\r\n\r\r\nB\n /c\n/d", 1 << 18));
    EXPECT_EQ((std::vector<std::string>{"A", "B", "at the end: B, 13 bytes"}),
              dataLines("\r/a\rA\r\r\rB\r/c\r", 1 << 18));
    EXPECT_EQ((std::vector<std::string>{"at the end: , 0 bytes"}), dataLines("", 1 << 18));
    EXPECT_EQ((std::vector<std::string>{"x", "at the end: x, 2 bytes"}), dataLines("x\n\x1A\n/y\n", 1 << 18));
}

TEST(ReadDataLine, GivesTheSameLinesWhateverTheChunkSize) {
    for (const LoadCase& c : loadCases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::string> whole = dataLines(c.bytes, c.bytes.size() + 1);
        for (size_t chunkSize : {size_t{2}, size_t{3}, size_t{5}, size_t{64}}) {
            EXPECT_EQ(whole, dataLines(c.bytes, chunkSize)) << "chunks of " << chunkSize;
        }
    }
}

// The bound on a count: the bytes after its header, but never below 2^24.
TEST(LoadFigure, CountsUpToTheBoundAreHonouredAndLargerOnesRefused) {
    ScratchDir dir;
    const std::string path = dir.file("obiekt.obj");
    const int32_t floor = 1 << 24;
    const std::string afterHeader = "5 6\n/" + std::string(floor + 10, 'c') + "\n";
    const auto bound = static_cast<int32_t>(afterHeader.size());
    struct Case {
        std::string bytes;
        int32_t count;  // 0: the load fails
    };
    const Case cases[] = {
        {"PUNKTY " + std::to_string(floor) + "\n5 6\n", floor},
        {"PUNKTY " + std::to_string(floor + 1) + "\n5 6\n", 0},
        {"PUNKTY " + std::to_string(bound) + "\n" + afterHeader, bound},
        {"PUNKTY " + std::to_string(bound + 1) + "\n" + afterHeader, 0},
        {"PUNKTY 1\n5 6\nLINIE " + std::to_string(floor + 1) + "\n1 1\n", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 20));
        writeBytes(path, c.bytes);
        Figure figure = untouchedFigure();
        ASSERT_EQ(c.count != 0, loadFigure(figure, path.c_str()));
        if (c.count == 0) {
            EXPECT_EQ(untouchedFigure(), figure);
            continue;
        }
        ASSERT_EQ(static_cast<size_t>(c.count), figure.points.size());
        EXPECT_EQ((Point{5, 6}), figure.points.back());
    }
}

TEST(SaveFigure, WritesTheExactLayout) {
    ScratchDir dir;
    const std::string path = dir.file("obiekt.obj");
    ASSERT_TRUE(saveFigure(threePointFigure, path.c_str()));
    EXPECT_EQ(platformText(threePoints), readBytes(path));

    ASSERT_TRUE(saveFigure(Figure{}, path.c_str()));
    EXPECT_EQ(platformText("PUNKTY 0\n\n\nLINIE 0\n\n"), readBytes(path));
    Figure figure = untouchedFigure();
    EXPECT_FALSE(loadFigure(figure, path.c_str())) << "a figure without points does not load";
}

TEST(SaveFigure, WritesEveryNumberInDecimal) {
    std::mt19937 random(7);
    std::vector<int32_t> values = {0,   1,   -1,        9,          10,        -10,       99,
                                   100, 101, 999999999, 1000000000, INT32_MAX, INT32_MIN, INT32_MIN + 1};
    for (int i = 0; i < 2000; ++i) {
        const int64_t value = static_cast<int64_t>(random()) - 2147483648LL;  // any 32-bit value
        values.push_back(static_cast<int32_t>(value / (int64_t{1} << (random() % 31))));
    }
    Figure figure;
    std::string expected = "PUNKTY " + std::to_string(values.size() / 2) + "\n\n";
    for (size_t i = 0; i + 1 < values.size(); i += 2) {
        addPoint(figure, values[i], values[i + 1]);
        expected += std::to_string(values[i]) + " " + std::to_string(values[i + 1]) + "\n";
    }
    expected += "\nLINIE 0\n\n";
    ScratchDir dir;
    const std::string path = dir.file("obiekt.obj");
    ASSERT_TRUE(saveFigure(figure, path.c_str()));
    EXPECT_EQ(platformText(expected), readBytes(path));
}

TEST(SaveFigure, NamesTheFirstPointAtSharedCoordinates) {
    // Points 1 and 3 share (5, 5); lines attached there name point 1.
    Figure figure = makeFigure({{5, 5}, {9, 9}, {5, 5}}, {{3, 2}, {2, 3}, {3, 3}});
    ScratchDir dir;
    const std::string path = dir.file("obiekt.obj");
    ASSERT_TRUE(saveFigure(figure, path.c_str()));
    EXPECT_EQ(platformText("PUNKTY 3\n\n5 5\n9 9\n5 5\n\nLINIE 3\n\n1 2\n2 1\n1 1\n"), readBytes(path));
}

TEST(SaveFigure, LeavesOutALineWithAnEndThatNamesNoPointAndCountsTheLinesWritten) {
    // Unreachable while the figure keeps its invariant; the writer still
    // never runs two half records together.
    Figure figure = makeFigure({{1, 1}});
    figure.lines = {{{1, 1}, {9, 9}}, {{1, 1}, {1, 1}}, {{9, 9}, {1, 1}}};
    ScratchDir dir;
    const std::string path = dir.file("obiekt.obj");
    ASSERT_TRUE(saveFigure(figure, path.c_str()));
    EXPECT_EQ(platformText("PUNKTY 1\n\n1 1\n\nLINIE 1\n\n1 1\n"), readBytes(path));
}

TEST(SaveFigure, RoundTripKeepsPointsOrderAndLines) {
    std::mt19937 random(11);
    Figure figure;
    const unsigned points = 20000;
    for (unsigned k = 0; k < points; ++k) {
        // A small range, so many points share their coordinates.
        addPoint(figure, static_cast<int32_t>(random() % 120) - 60,
                 static_cast<int32_t>(random() % 120) - 60);
    }
    for (int k = 0; k < 30000; ++k) {
        figure.lines.push_back({figure.points[random() % points], figure.points[random() % points]});
    }
    ScratchDir dir;
    const std::string path = dir.file("obiekt.obj");
    ASSERT_TRUE(saveFigure(figure, path.c_str()));
    Figure loaded;
    ASSERT_TRUE(loadFigure(loaded, path.c_str()));
    EXPECT_EQ(figure, loaded);
}

TEST(SaveFigure, ExampleIsInTheWritersLayout) {
    const std::string example = std::string(FIGURY_EXAMPLES_DIR) + "/house.obj";
    Figure house;
    ASSERT_TRUE(loadFigure(house, example.c_str()));
    EXPECT_FALSE(house.lines.empty());
    ScratchDir dir;
    const std::string path = dir.file("obiekt.obj");
    ASSERT_TRUE(saveFigure(house, path.c_str()));
    EXPECT_EQ(platformText(readBytes(example)), readBytes(path));
}

TEST(SaveFigure, ReplacesTheOldFileAndLeavesNothingElse) {
    ScratchDir dir;
    const std::string path = dir.file("obiekt.obj");
    writeBytes(path, "old contents that are longer than the new ones\n");
    ASSERT_TRUE(saveFigure(makeFigure({{1, 2}}), path.c_str()));
    EXPECT_EQ(platformText("PUNKTY 1\n\n1 2\n\nLINIE 0\n\n"), readBytes(path));
    EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(dir.path()), {}));
}

TEST(SaveFigure, FolderMissingWritesNothing) {
    ScratchDir dir;
    const std::string path = dir.file("Dane/obiekt.obj");
    EXPECT_FALSE(saveFigure(threePointFigure, path.c_str()));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

// Fails the n-th file operation of a save and runs every other one for real.
int callsBeforeFailure = 0;

bool failsNow() {
    return --callsBeforeFailure == 0;
}

const SaveSteps failingSteps{
    [](const char* path) { return failsNow() ? std::string() : fileSaveSteps().target(path); },
    [](const char* path) { return !failsNow() && fileSaveSteps().replaceable(path); },
    [](const char* path, bool& nameTaken) -> std::FILE* {
        return failsNow() ? nullptr : fileSaveSteps().create(path, nameTaken);
    },
    [](std::FILE* file, const char* bytes, size_t size) {
        if (failsNow()) {
            fileSaveSteps().write(file, bytes, size / 2);  // a disk that filled up half-way
            return false;
        }
        return fileSaveSteps().write(file, bytes, size);
    },
    [](std::FILE* file) { return !failsNow() && fileSaveSteps().flush(file); },
    [](std::FILE* file) { return !failsNow() && fileSaveSteps().sync(file); },
    [](std::FILE* file) { return fileSaveSteps().close(file) && !failsNow(); },
    [](const char* from, const char* to) { return !failsNow() && fileSaveSteps().replace(from, to); },
    [](const char* path) { return !failsNow() && fileSaveSteps().remove(path); },
};

TEST(SaveFigure, AFailedStepKeepsTheOldFile) {
    ScratchDir dir;
    const std::string path = dir.file("obiekt.obj");
    const std::string old = platformText(threePoints);
    const Figure replacement = makeFigure({{7, 8}, {9, 10}}, {{2, 1}});
    int failing = 1;
    for (;; ++failing) {
        SCOPED_TRACE("failing operation " + std::to_string(failing));
        writeBytes(path, old);
        callsBeforeFailure = failing;
        if (saveFigure(replacement, path.c_str(), failingSteps)) {
            break;
        }
        EXPECT_EQ(old, readBytes(path));
        EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(dir.path()), {})) << "temporary left";
        ASSERT_LT(failing, 20);
    }
    EXPECT_EQ(9, failing)
        << "target, replaceable, create, write, flush, sync, close and replace can each fail";
    Figure loaded;
    ASSERT_TRUE(loadFigure(loaded, path.c_str()));
    EXPECT_EQ(replacement, loaded);
}

}  // namespace

}  // namespace figury
