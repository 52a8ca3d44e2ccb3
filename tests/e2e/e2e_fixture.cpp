#include "e2e_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "support/code_page.h"
#include "support/user_texts.h"

namespace figury {

namespace e2e {

const std::wstring kTitle = user_texts::wide(user_texts::title);
const std::wstring kPromptInsertPoint = user_texts::wide(user_texts::promptAddPoint);
const std::wstring kPromptDeletePoint = user_texts::wide(user_texts::promptDeletePoint);
const std::wstring kPromptMovePoint = user_texts::wide(user_texts::promptMovePoint);
const std::wstring kPromptInsertLine = user_texts::wide(user_texts::promptInsertLine);
const std::wstring kPromptDeleteLine = user_texts::wide(user_texts::promptDeleteLine);
const std::wstring kPointAdded = user_texts::wide(user_texts::pointAdded);
const std::wstring kPointDeleted = user_texts::wide(user_texts::pointDeleted);
const std::wstring kPromptDestination = user_texts::wide(user_texts::promptMoveDestination);
const std::wstring kPointMoved = user_texts::wide(user_texts::pointMoved);
const std::wstring kPromptSecondPoint = user_texts::wide(user_texts::promptLineSecond);
const std::wstring kLineInserted = user_texts::wide(user_texts::lineInserted);
const std::wstring kLineDeleted = user_texts::wide(user_texts::lineDeleted);
const std::wstring kCancelled = user_texts::wide(user_texts::cancelled);
const std::wstring kLoadFailed = user_texts::wide(user_texts::loadFailure);
const std::wstring kLoadFailedCaption = user_texts::wide(user_texts::loadFailureCaption);
const std::wstring kSaveFailed = user_texts::wide(user_texts::saveFailure);
const std::wstring kSaveFailedCaption = user_texts::wide(user_texts::saveFailureCaption);
const std::wstring kUndonePointDeleted = user_texts::wide(user_texts::undonePointDeleted);

const char* const kSquareFile =
    "// a square without its left side\n"
    "PUNKTY 4\n"
    "200 150\n"
    "400 150\n"
    "400 350\n"
    "200 350\n"
    "LINIE 3\n"
    "1 2\n"
    "2 3\n"
    "3 4\n";

std::string savedFile(const Points& points, const Lines& lines) {
    std::string out = "PUNKTY " + std::to_string(points.size()) + "\r\n\r\n";
    for (const auto& p : points) {
        out += std::to_string(p.first) + " " + std::to_string(p.second) + "\r\n";
    }
    out += "\r\nLINIE " + std::to_string(lines.size()) + "\r\n\r\n";
    for (const auto& l : lines) {
        out += std::to_string(l.first) + " " + std::to_string(l.second) + "\r\n";
    }
    return out;
}

std::string e2eDir() {
    return toWindowsPath(FIGURY_E2E_DIR);
}

void removeTree(const std::string& path) {
    // Read-only files are made writable first: Windows refuses to delete them.
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path, error)) {
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add, error);
    }
    std::filesystem::remove_all(path, error);
}

namespace {

// With the code page: a case that runs under two keeps the folders of each.
std::string testName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name =
        std::string(info->test_suite_name()) + "." + info->name() + "-" + std::to_string(GetACP());
    for (char& c : name) {
        if (c == '/') {
            c = '-';
        }
    }
    return name;
}

}  // namespace

// FIGURY_E2E_EXE runs the suite against another build of the editor.
std::string editorExe() {
    const char* other = std::getenv("FIGURY_E2E_EXE");
    return toWindowsPath(other && *other ? other : FIGURY_EXE);
}

EditorTest::EditorTest()
    : workDir_(e2eDir() + "\\work\\" + testName()),
      shotDir_(e2eDir() + "\\shots\\" + testName()),
      session_(editorExe(), [](const std::string& why) { ADD_FAILURE() << why; }) {}

StoryHalf storyHalf() {
    const char* half = std::getenv("FIGURY_E2E_HALF");
    const std::string name = half != nullptr ? half : "";
    return name == "first" ? StoryHalf::first : name == "second" ? StoryHalf::second : StoryHalf::whole;
}

void EditorTest::SetUp() {
    ASSERT_TRUE(testing_support::runsInTheCodePageAskedFor());
    if (storyHalf() == StoryHalf::second) {
        ASSERT_TRUE(dataExists()) << "no folder left by the story's first half: " << workDir_;
        return;
    }
    removeTree(workDir_);
    removeTree(shotDir_);
    std::error_code error;
    ASSERT_TRUE(std::filesystem::create_directories(workDir_, error)) << workDir_;
    ASSERT_TRUE(CreateDirectoryA(path("Dane").c_str(), nullptr));
}

void EditorTest::TearDown() {
    // A hung editor must not outlive its test.
    session_.process().terminate();
    if (HasFailure()) {
        session_.writeShots(shotDir_);
        std::printf("screenshots of the steps: %s\n", shotDir_.c_str());
    } else if (storyHalf() != StoryHalf::first) {
        removeTree(workDir_);
    }
}

std::string EditorTest::path(const std::string& relative) const {
    std::string p = workDir_ + "\\" + relative;
    for (char& c : p) {
        if (c == '/') {
            c = '\\';
        }
    }
    return p;
}

void EditorTest::writeData(const std::string& bytes) {
    std::FILE* f = std::fopen(path("Dane/obiekt.obj").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    ASSERT_EQ(std::fclose(f), 0);
}

bool EditorTest::dataExists() const {
    return GetFileAttributesA(path("Dane/obiekt.obj").c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string EditorTest::readData() const {
    std::string bytes;
    std::FILE* f = std::fopen(path("Dane/obiekt.obj").c_str(), "rb");
    if (!f) {
        return "<missing>";
    }
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
        bytes.append(buf, n);
    }
    std::fclose(f);
    return bytes;
}

void EditorTest::startOnSquare() {
    writeData(kSquareFile);
    ASSERT_TRUE(session_.startAndGreet(workDir_)) << "no greeting or no window";
}

void EditorTest::closeNormally() {
    DWORD code = 12345;
    ASSERT_TRUE(session_.closeWithAltF4(&code)) << "the editor did not end after Alt+F4";
    EXPECT_EQ(code, 0u);
}

}  // namespace e2e

}  // namespace figury
