#pragma once

// Each test gets a fresh working folder for figury.exe and keeps the
// screenshots of its steps when it fails.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "editor_session.h"

namespace figury {

namespace e2e {

// The texts a person reads on screen, as they should look.
extern const std::wstring kTitle;
extern const std::wstring kPromptInsertPoint;
extern const std::wstring kPromptDeletePoint;
extern const std::wstring kPromptMovePoint;
extern const std::wstring kPromptInsertLine;
extern const std::wstring kPromptDeleteLine;
extern const std::wstring kPointAdded;
extern const std::wstring kPointDeleted;
extern const std::wstring kPromptDestination;
extern const std::wstring kPointMoved;
extern const std::wstring kPromptSecondPoint;
extern const std::wstring kLineInserted;
extern const std::wstring kLineDeleted;
extern const std::wstring kCancelled;
extern const std::wstring kLoadFailed;
extern const std::wstring kLoadFailedCaption;
extern const std::wstring kSaveFailed;
extern const std::wstring kUndonePointDeleted;
extern const std::wstring kSaveFailedCaption;

using Points = std::vector<std::pair<int, int>>;
using Lines = std::vector<std::pair<int, int>>;  // point numbers from 1

// The figure file as the editor writes it on Windows: text mode, CR LF.
std::string savedFile(const Points& points, const Lines& lines);

// A square ABCD with the lines AB, BC and CD, as a person would write it.
extern const char* const kSquareFile;
constexpr int kAx = 200, kAy = 150, kBx = 400, kBy = 150, kCx = 400, kCy = 350, kDx = 200, kDy = 350;
const Points kSquarePoints{{kAx, kAy}, {kBx, kBy}, {kCx, kCy}, {kDx, kDy}};
const Lines kSquareLines{{1, 2}, {2, 3}, {3, 4}};

// A story told in two runs of the suite, with something done from outside
// Wine between them (wineserver_killed.sh): FIGURY_E2E_HALF names the run.
// The first keeps its folder, the second goes on in it.
enum class StoryHalf { whole, first, second };
StoryHalf storyHalf();

class EditorTest : public ::testing::Test {
protected:
    EditorTest();
    void SetUp() override;
    void TearDown() override;

    std::string path(const std::string& relative) const;  // inside the working folder
    void writeData(const std::string& bytes);             // Dane/obiekt.obj
    bool dataExists() const;
    std::string readData() const;
    // Starts on the square, answers the greeting and waits for the window.
    void startOnSquare();
    // Alt+F4, then the exit code must be 0.
    void closeNormally();

    std::string workDir_;
    std::string shotDir_;
    EditorSession session_;
};

void removeTree(const std::string& path);
// The editor the suite drives, as a Windows path.
std::string editorExe();
std::string e2eDir();

}  // namespace e2e

}  // namespace figury
