#pragma once

// Helpers shared by the test suites: figures from literals, a figure
// comparison with a readable diff, and scratch folders for files.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "figure.h"

namespace figure_testing {

struct PointLiteral {
    int32_t x;
    int32_t y;
};

// A line by the numbers (from 1) of its end points, as the file names them.
struct LineLiteral {
    int32_t first;
    int32_t second;
};

// A figure with the given points, whose lines copy the coordinates of the
// points they name, so the figure keeps its invariant.
inline Figure makeFigure(std::initializer_list<PointLiteral> points,
                         std::initializer_list<LineLiteral> lines = {}) {
    Figure figure;
    for (const PointLiteral& p : points) {
        figure.points.push_back(p.x);
        figure.points.push_back(p.y);
    }
    figure.pointCount = static_cast<int32_t>(points.size());
    for (const LineLiteral& l : lines) {
        for (int32_t number : {l.first, l.second}) {
            const size_t at = 2 * static_cast<size_t>(number - 1);
            figure.lines.push_back(figure.points.at(at));
            figure.lines.push_back(figure.points.at(at + 1));
        }
    }
    figure.lineCount = static_cast<int32_t>(lines.size());
    return figure;
}

inline std::string describe(const Figure& figure) {
    std::ostringstream text;
    text << figure.pointCount << " points {";
    for (size_t i = 0; i + 1 < figure.points.size(); i += 2) {
        text << (i ? ", " : "") << "(" << figure.points[i] << ", " << figure.points[i + 1] << ")";
    }
    text << "}, " << figure.lineCount << " lines {";
    for (size_t i = 0; i + 3 < figure.lines.size(); i += 4) {
        text << (i ? ", " : "") << "(" << figure.lines[i] << ", " << figure.lines[i + 1] << ")-("
             << figure.lines[i + 2] << ", " << figure.lines[i + 3] << ")";
    }
    text << "}";
    return text.str();
}

// Use as EXPECT_TRUE(sameFigure(expected, actual)).
inline ::testing::AssertionResult sameFigure(const Figure& expected, const Figure& actual) {
    if (expected.pointCount == actual.pointCount && expected.lineCount == actual.lineCount &&
        expected.points == actual.points && expected.lines == actual.lines) {
        return ::testing::AssertionSuccess();
    }
    auto result = ::testing::AssertionFailure();
    result << "figures differ";
    if (expected.pointCount != actual.pointCount || expected.lineCount != actual.lineCount) {
        result << "; counts " << actual.pointCount << " points, " << actual.lineCount << " lines, expected "
               << expected.pointCount << " and " << expected.lineCount;
    }
    auto firstDifference = [](const std::vector<int32_t>& a, const std::vector<int32_t>& b) {
        const auto mismatch = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
        return static_cast<size_t>(mismatch.first - a.begin());
    };
    if (expected.points != actual.points) {
        result << "; points differ from element " << firstDifference(expected.points, actual.points);
    }
    if (expected.lines != actual.lines) {
        result << "; lines differ from element " << firstDifference(expected.lines, actual.lines);
    }
    result << "\n  expected: " << describe(expected) << "\n    actual: " << describe(actual);
    return result;
}

// The bytes the text-mode writer produces for text written with "\n".
inline std::string platformText(const std::string& text) {
#ifdef _WIN32
    std::string bytes;
    for (char c : text) {
        if (c == '\n') {
            bytes += '\r';
        }
        bytes += c;
    }
    return bytes;
#else
    return text;
#endif
}

inline void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// A fresh folder of its own for one test, removed with everything in it.
// Its name is unique across processes, so parallel runs never share files.
class ScratchDir {
public:
    ScratchDir() {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string stem = "figury";
        if (test) {
            stem += std::string("-") + test->test_suite_name() + "-" + test->name();
        }
        for (char& c : stem) {
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-') {
                c = '_';
            }
        }
        std::random_device entropy;
        std::mt19937_64 random((uint64_t{entropy()} << 32) ^ entropy() ^
                               static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
        const std::filesystem::path base = ::testing::TempDir();
        for (;;) {
            path_ = base / (stem + "-" + std::to_string(random() % 1000000000));
            std::error_code error;
            if (std::filesystem::create_directory(path_, error)) {
                break;
            }
            if (error) {
                ADD_FAILURE() << "cannot create " << path_.string() << ": " << error.message();
                break;
            }
        }
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

}  // namespace figure_testing
