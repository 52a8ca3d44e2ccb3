// Saves racing on one folder under Windows' own replace: whichever wins, the
// folder holds one whole figure, nothing that a replace made, and the other
// files it held, untouched.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "figure/figure_file.h"
#include "figure/save_steps.h"
#include "support/figures.h"
#include "support/files.h"

namespace figury {

using testing_support::makeFigure;
using testing_support::platformText;
using testing_support::readBytes;
using testing_support::ScratchDir;
using testing_support::writeBytes;

namespace {

namespace fs = std::filesystem;

// Holds each of two saves at its replace until the other one gets there, so
// that their replaces run into each other in every round.
class Meeting {
public:
    // False when the other save never came.
    bool arrive() {
        std::unique_lock<std::mutex> lock(mutex_);
        const unsigned round = round_;
        if (++arrived_ == 2) {
            arrived_ = 0;
            ++round_;
            met_.notify_all();
            return true;
        }
        return met_.wait_for(lock, std::chrono::seconds(20), [&] { return round_ != round; });
    }

private:
    std::mutex mutex_;
    std::condition_variable met_;
    unsigned arrived_ = 0;
    unsigned round_ = 0;
};

Meeting meeting;
std::atomic<bool> bothMet{true};

const SaveSteps racingSteps = [] {
    SaveSteps steps = fileSaveSteps();
    steps.replace = [](const char* temporary, const char* path) {
        if (!meeting.arrive()) {
            bothMet = false;
        }
        return fileSaveSteps().replace(temporary, path);
    };
    return steps;
}();

std::set<std::string> namesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

bool isHidden(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
}

// The old figure file. A hidden one is not what a new file is: the save copies
// the new figure into it, kept under the backup name, and moves it back.
void writeOldFile(const std::string& path, bool hidden) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    writeBytes(path, platformText("PUNKTY 1\n\n5 5\n\nLINIE 0\n\n"));
    if (hidden) {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
    }
}

const Figure figures[2] = {makeFigure({{1, 2}, {3, 4}}, {{1, 2}}), makeFigure({{7, 8}})};
const std::string texts[2] = {platformText("PUNKTY 2\n\n1 2\n3 4\n\nLINIE 1\n\n1 2\n"),
                              platformText("PUNKTY 1\n\n7 8\n\nLINIE 0\n\n")};

TEST(RacingSaves, TwoSavesOnOneFolderLeaveOneWholeFigureAndNoFileOfTheirOwn) {
    for (const bool hidden : {false, true}) {
        SCOPED_TRACE(hidden ? "over a hidden file" : "over a plain file");
        ScratchDir dir;
        const std::string path = dir.file("obiekt.obj");
        // Another program's file, named as the system's replace names its own.
        const std::string others = dir.file("rf1a2b.tmp");
        writeBytes(others, "inny program\n");
        for (int round = 0; round < 15; ++round) {
            SCOPED_TRACE("round " + std::to_string(round));
            writeOldFile(path, hidden);
            ASSERT_EQ(hidden, isHidden(path));
            bool saved[2] = {false, false};
            std::thread second([&] { saved[1] = saveFigure(figures[1], path.c_str(), racingSteps); });
            saved[0] = saveFigure(figures[0], path.c_str(), racingSteps);
            second.join();
            ASSERT_TRUE(bothMet) << "the saves did not meet at their replace";
            ASSERT_EQ((std::set<std::string>{"obiekt.obj", "rf1a2b.tmp"}), namesIn(dir.path()));
            ASSERT_EQ("inny program\n", readBytes(others));
            // A save that lost the race may fail; the file is then the other's.
            const std::string text = readBytes(path);
            EXPECT_TRUE((saved[0] && text == texts[0]) || (saved[1] && text == texts[1]))
                << "saved " << saved[0] << saved[1] << ", file:\n"
                << text;
        }
    }
}

// The backup that carries the old file's attributes over does not stay behind.
TEST(RacingSaves, ASaveOverAHiddenFileKeepsItHiddenAndLeavesNothingElse) {
    ScratchDir dir;
    const std::string path = dir.file("obiekt.obj");
    writeOldFile(path, true);
    ASSERT_TRUE(isHidden(path));
    ASSERT_TRUE(saveFigure(figures[0], path.c_str()));
    EXPECT_EQ(texts[0], readBytes(path));
    EXPECT_TRUE(isHidden(path));
    EXPECT_EQ(std::set<std::string>{"obiekt.obj"}, namesIn(dir.path()));
}

}  // namespace

}  // namespace figury
