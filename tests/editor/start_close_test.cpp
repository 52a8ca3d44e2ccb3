#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "editor_test_support.h"
#include "modes.h"

namespace {

namespace fs = std::filesystem;

// A folder of its own for each test, removed afterwards.
class StartAndClose : public ::testing::Test {
protected:
    void SetUp() override {
        static std::atomic<int> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        folder_ = fs::temp_directory_path() /
                  ("figury-editor-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        fs::create_directories(folder_);
        path_ = (folder_ / "obiekt.obj").string();
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    void write(const std::string& bytes) {
        std::ofstream(path_, std::ios::binary) << bytes;
    }
    // Text mode, so that the platform's line ends read back as "\n".
    std::string readText() {
        std::ifstream in(path_);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::string readBytes() {
        std::ifstream in(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    fs::path folder_;
    std::string path_;
};

const char emptyFigureText[] = "PUNKTY 0\n\n\nLINIE 0\n\n";

TEST_F(StartAndClose, AMissingFileIsReportedAndCreatedAtClose) {
    EditorState state;
    EXPECT_TRUE(loadAtStart(state, path_.c_str()));
    EXPECT_TRUE(sameFigure(Figure{}, state.figure));
    EXPECT_EQ(SaveOutcome::written, saveAtClose(state, path_.c_str()));
    EXPECT_EQ(emptyFigureText, readText());
}

TEST_F(StartAndClose, AReadableFileLoadsAndIsWrittenBackAtClose) {
    write("PUNKTY 2\n\n10 20\n30 40\n\nLINIE 1\n\n1 2\n");
    EditorState state;
    EXPECT_FALSE(loadAtStart(state, path_.c_str()));
    EXPECT_TRUE(sameFigure(figureOf({10, 20, 30, 40}, {10, 20, 30, 40}), state.figure));
    state.editMode = modeAddPoint;
    onLeftButtonDown(state, 50, 60);
    EXPECT_EQ(SaveOutcome::written, saveAtClose(state, path_.c_str()));
    EXPECT_EQ("PUNKTY 3\n\n10 20\n30 40\n50 60\n\nLINIE 1\n\n1 2\n", readText());
}

TEST_F(StartAndClose, AnUnreadableFileSurvivesARunWithoutEdits) {
    // Includes a run whose picks all missed and whose commands changed only the mode.
    const std::string original = "PUNKTY 0\r\n// hand-written, still to be fixed\n3 4\n";
    write(original);
    EditorState state;
    EXPECT_TRUE(loadAtStart(state, path_.c_str()));
    onCommand(state, commandDeletePoint);
    onLeftButtonDown(state, 3, 4);
    EXPECT_EQ(SaveOutcome::unreadFileKept, saveAtClose(state, path_.c_str()));
    EXPECT_EQ(original, readBytes());
}

TEST_F(StartAndClose, AnUnreadableFileIsReplacedOnceTheFigureWasEdited) {
    write("LINIE 1\n1 1\n");
    EditorState state;
    EXPECT_TRUE(loadAtStart(state, path_.c_str()));
    onCommand(state, commandAddPoint);
    onLeftButtonDown(state, 7, 38);
    EXPECT_EQ(SaveOutcome::written, saveAtClose(state, path_.c_str()));
    EXPECT_EQ("PUNKTY 1\n\n7 38\n\nLINIE 0\n\n", readText());
}

TEST_F(StartAndClose, AFailedSaveIsReported) {
    const std::string nowhere = (folder_ / "no such folder" / "obiekt.obj").string();
    EditorState state;
    EXPECT_TRUE(loadAtStart(state, nowhere.c_str()));
    EXPECT_EQ(SaveOutcome::failed, saveAtClose(state, nowhere.c_str()));
    EXPECT_FALSE(fs::exists(nowhere));
}

}  // namespace
