#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/figures.h"
#include "support/files.h"
#include "editor/modes.h"
#include "editor/texts.h"
#include "figure/figure_file.h"
#include "figure/save_lock.h"

namespace figury {

namespace {

namespace fs = std::filesystem;

// A folder of its own for each test, removed afterwards.
class StartAndClose : public ::testing::Test {
protected:
    testing_support::ScratchDir scratch_;
    const fs::path folder_ = scratch_.path();
    const std::string path_ = scratch_.file("obiekt.obj");

    void write(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }
    // Text mode, so that the platform's line ends read back as "\n".
    std::string readText() {
        std::ifstream in(path_);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::string readBytes() {
        std::ifstream in(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
};

const char emptyFigureText[] = "PUNKTY 0\n\n\nLINIE 0\n\n";

TEST_F(StartAndClose, AMissingFileIsReportedAndCreatedAtClose) {
    EditorState state;
    EXPECT_TRUE(loadAtStart(state, path_.c_str()));
    EXPECT_EQ(Figure{}, state.document.figure());
    EXPECT_EQ(SaveOutcome::written, saveAtClose(state, ChangedFile::ask, path_.c_str()));
    EXPECT_EQ(emptyFigureText, readText());
}

TEST_F(StartAndClose, AReadableFileLoadsAndIsWrittenBackAtClose) {
    write("PUNKTY 2\n\n10 20\n30 40\n\nLINIE 1\n\n1 2\n");
    EditorState state;
    EXPECT_FALSE(loadAtStart(state, path_.c_str()));
    EXPECT_EQ(testing_support::figureOf({10, 20, 30, 40}, {10, 20, 30, 40}), state.document.figure());
    state.editMode = EditMode::addPoint;
    onLeftButtonDown(state, 50, 60);
    EXPECT_EQ(SaveOutcome::written, saveAtClose(state, ChangedFile::ask, path_.c_str()));
    EXPECT_EQ("PUNKTY 3\n\n10 20\n30 40\n50 60\n\nLINIE 1\n\n1 2\n", readText());
}

// A file that could not be read, a folder or a link loop at the figure path
// stays as it was unless the figure is edited, and an edit replaces it only
// when the user says so; one that then cannot replace it is reported.
TEST_F(StartAndClose, AnUnreadableFileSurvivesARunWithoutEditsAndIsReplacedOnlyByAnEdit) {
    enum Kind { text, folder, linkLoop };
    const std::string original = "PUNKTY 0\r\n// hand-written, still to be fixed\n3 4\n";
    for (Kind kind : {text, folder, linkLoop}) {
#ifdef _WIN32
        if (kind == linkLoop) {
            continue;
        }
#endif
        for (bool edited : {false, true}) {
            SCOPED_TRACE(std::to_string(kind) + (edited ? ", edited" : ""));
            fs::remove_all(path_);
            if (kind == text) {
                write(original);
            } else if (kind == folder) {
                fs::create_directory(path_);
            } else {
                fs::create_symlink("obiekt.obj", path_);
            }
            EditorState state;
            EXPECT_TRUE(loadAtStart(state, path_.c_str()));
            // Commands change only the mode, and a pick that misses changes nothing.
            onCommand(state, 101);
            onLeftButtonDown(state, 3, 4);
            if (edited) {
                onCommand(state, 100);
                onLeftButtonDown(state, 7, 38);
            }
            EXPECT_EQ(edited ? SaveOutcome::unreadFileAtStake : SaveOutcome::unreadFileKept,
                      saveAtClose(state, ChangedFile::ask, path_.c_str()));
            EXPECT_EQ(!edited, state.saveSettled);
            if (kind == text) {
                EXPECT_EQ(original, readBytes()) << "nothing written before the user's answer";
            }
            if (edited) {
                const SaveOutcome expected = kind == text ? SaveOutcome::written : SaveOutcome::failed;
                EXPECT_EQ(expected, saveAtClose(state, ChangedFile::replace, path_.c_str()));
                EXPECT_EQ(expected != SaveOutcome::failed, state.saveSettled);
            }
            if (kind == text) {
                EXPECT_EQ(edited ? "PUNKTY 1\n\n7 38\n\nLINIE 0\n\n" : original,
                          edited ? readText() : readBytes());
            } else {
                EXPECT_TRUE(kind == folder ? fs::is_directory(path_) : fs::is_symlink(path_));
            }
        }
    }
}

TEST_F(StartAndClose, AFailedSaveIsReportedOnlyWhenEditsAreLost) {
    const std::string nowhere = (folder_ / "no such folder" / "obiekt.obj").string();
    EditorState state;
    EXPECT_TRUE(loadAtStart(state, nowhere.c_str()));
    EXPECT_EQ(SaveOutcome::nothingLost, saveAtClose(state, ChangedFile::ask, nowhere.c_str()));
    EXPECT_TRUE(state.saveSettled);

    write("PUNKTY 1\n1 2\n");
    EditorState loaded;
    EXPECT_FALSE(loadAtStart(loaded, path_.c_str()));
    fs::remove_all(folder_);
    onCommand(loaded, 100);
    onLeftButtonDown(loaded, 5, 36);
    EXPECT_EQ(SaveOutcome::failed, saveAtClose(loaded, ChangedFile::ask, path_.c_str()));
    EXPECT_FALSE(loaded.saveSettled) << "the user may try again";
    fs::create_directories(folder_);
    EXPECT_EQ(SaveOutcome::written, saveAtClose(loaded, ChangedFile::ask, path_.c_str()));
    EXPECT_TRUE(loaded.saveSettled);
    EXPECT_EQ("PUNKTY 2\n\n1 2\n5 36\n\nLINIE 0\n\n", readText());
}

// Another program writes, creates or removes the file between the load and
// the close. The file is known by its bytes, whatever its time says. Its
// file is kept when nothing was edited, and an edit undone by hand is none;
// with edits at stake the user is asked first, and only then is it replaced.
// A file that holds the very bytes the save would write is not written.
TEST_F(StartAndClose, AFileChangedSinceTheLoadIsReplacedOnlyWhenTheUserSaysSo) {
    const std::vector<char> oursText = figureFileText(testing_support::figureOf({1, 2}, {}));
    const std::string ours(oursText.begin(), oursText.end());
    const std::string theirs = "PUNKTY 1\n\n8 9\n\nLINIE 0\n\n";
    const std::string sameSize = std::string(ours).replace(ours.find("1 2"), 3, "3 4");
    // relaidOut: loaded from a file laid out by hand, which another copy of
    // the editor then wrote anew in its own layout, the figure unchanged.
    enum Meanwhile { untouched, rewritten, sameSizeOldTime, sameBytesNewTime, relaidOut, created, removed };
    enum Edit { none, added, addedAndDeleted };
    struct Row {
        const char* name;
        bool presentAtStart;
        Meanwhile meanwhile;
        Edit edit;
        SaveOutcome expected;
        bool writes;
    };
    const Row rows[] = {
        {"untouched, not edited", true, untouched, none, SaveOutcome::written, false},
        {"untouched, edited", true, untouched, added, SaveOutcome::written, true},
        {"untouched, edit undone by hand", true, untouched, addedAndDeleted, SaveOutcome::written, false},
        {"rewritten, not edited", true, rewritten, none, SaveOutcome::changedFileKept, false},
        {"rewritten, edited", true, rewritten, added, SaveOutcome::changedFileAtStake, false},
        {"rewritten, edit undone by hand", true, rewritten, addedAndDeleted, SaveOutcome::changedFileKept,
         false},
        {"as many bytes, old time put back, not edited", true, sameSizeOldTime, none,
         SaveOutcome::changedFileKept, false},
        {"as many bytes, old time put back, edited", true, sameSizeOldTime, added,
         SaveOutcome::changedFileAtStake, false},
        {"same bytes, new time, not edited", true, sameBytesNewTime, none, SaveOutcome::written, false},
        {"same bytes, new time, edited", true, sameBytesNewTime, added, SaveOutcome::written, true},
        {"laid out anew, same figure, edited", true, relaidOut, added, SaveOutcome::written, true},
        {"created, not edited", false, created, none, SaveOutcome::changedFileKept, false},
        {"created, edited", false, created, added, SaveOutcome::changedFileAtStake, false},
        {"removed, not edited", true, removed, none, SaveOutcome::written, true},
        {"removed, edited", true, removed, added, SaveOutcome::written, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove(path_);
        if (row.presentAtStart) {
            write(row.meanwhile == relaidOut ? "// by hand\nPUNKTY 1\n1 2\n" : ours);
        }
        EditorState state;
        EXPECT_EQ(!row.presentAtStart, loadAtStart(state, path_.c_str()));
        if (row.edit != none) {
            onCommand(state, 100);
            onLeftButtonDown(state, 5, 50);
        }
        if (row.edit == addedAndDeleted) {
            onCommand(state, 101);
            onLeftButtonDown(state, 5, 50);
        }
        const bool edited = row.edit == added;
        EXPECT_EQ(edited, state.document.edited());
        if (row.meanwhile == removed) {
            fs::remove(path_);
        } else if (row.meanwhile != untouched) {
            const fs::file_time_type loadedTime =
                row.presentAtStart ? fs::last_write_time(path_) : fs::file_time_type::clock::now();
            write(row.meanwhile == sameSizeOldTime                                  ? sameSize
                  : row.meanwhile == sameBytesNewTime || row.meanwhile == relaidOut ? ours
                                                                                    : theirs);
            fs::last_write_time(
                path_, row.meanwhile == sameSizeOldTime ? loadedTime : loadedTime + std::chrono::seconds(2));
        }
        // A time no write of the save can leave.
        fs::file_time_type beforeClose = fs::file_time_type::clock::now() - std::chrono::hours(1);
        if (fs::exists(path_)) {
            fs::last_write_time(path_, beforeClose);
            beforeClose = fs::last_write_time(path_);  // as the file system keeps it
        }
        const std::string inFile = fs::exists(path_) ? readBytes() : "";
        EXPECT_EQ(row.expected, saveAtClose(state, ChangedFile::ask, path_.c_str()));
        EXPECT_EQ(row.writes, !fs::exists(path_) || fs::last_write_time(path_) != beforeClose);
        EXPECT_EQ(row.expected != SaveOutcome::changedFileAtStake, state.saveSettled);
        const bool kept =
            row.expected == SaveOutcome::changedFileKept || row.expected == SaveOutcome::changedFileAtStake;
        if (kept) {
            EXPECT_EQ(inFile, readBytes());
        }
        if (row.expected == SaveOutcome::changedFileAtStake) {
            // Another save lands while the question is open: the answer was
            // not about it, and the question comes again.
            write(theirs + "// again\n");
            EXPECT_EQ(row.expected, saveAtClose(state, ChangedFile::replace, path_.c_str()));
            EXPECT_EQ(theirs + "// again\n", readBytes());
            // The user chose to write the editor's figure over it.
            EXPECT_EQ(SaveOutcome::written, saveAtClose(state, ChangedFile::replace, path_.c_str()));
            EXPECT_TRUE(state.saveSettled);
        }
        if (!kept || row.expected == SaveOutcome::changedFileAtStake) {
            const std::string added = edited ? "5 50\n" : "";
            EXPECT_EQ(
                (row.presentAtStart ? "PUNKTY " + std::to_string(1 + edited) + "\n\n1 2\n" : "PUNKTY 1\n\n") +
                    added + "\nLINIE 0\n\n",
                readText());
        }
    }
}

// Told by the lock that a save has begun to wait for it.
std::mutex waitingLock;
std::condition_variable waitingChanged;
bool saveWaits = false;
void noteSaveWaits() {
    const std::lock_guard<std::mutex> hold(waitingLock);
    saveWaits = true;
    waitingChanged.notify_all();
}

// Two copies close at once. The first holds the save's lock over its look
// and its write; the second's close begins meanwhile and must wait for it,
// whichever thread the system runs first, and then finds the first one's
// figure in the file and asks.
TEST_F(StartAndClose, ASaveWaitsForAnotherCopysSaveAndThenSeesItsFigure) {
    write("PUNKTY 1\n\n1 2\n\nLINIE 0\n\n");
    EditorState first;
    EditorState second;
    EXPECT_FALSE(loadAtStart(first, path_.c_str()));
    EXPECT_FALSE(loadAtStart(second, path_.c_str()));
    for (EditorState* copy : {&first, &second}) {
        onCommand(*copy, 100);
        onLeftButtonDown(*copy, copy == &first ? 5 : 7, 50);
    }
    saveWaits = false;
    SaveLock::beginsToWait = noteSaveWaits;
    SaveOutcome secondOutcome = SaveOutcome::written;
    bool secondDone = false;
    {
        auto firstsLock = std::make_unique<SaveLock>(path_.c_str());
        std::thread secondCloses([&] {
            const SaveOutcome outcome = saveAtClose(second, ChangedFile::ask, path_.c_str());
            const std::lock_guard<std::mutex> hold(waitingLock);
            secondOutcome = outcome;
            secondDone = true;
            waitingChanged.notify_all();
        });
        {
            // A close that did not wait has looked already, and is wrong.
            std::unique_lock<std::mutex> hold(waitingLock);
            waitingChanged.wait(hold, [&] { return saveWaits || secondDone; });
            EXPECT_TRUE(saveWaits) << "the second close did not wait for the lock";
        }
        const std::vector<char> text = figureFileText(first.document.figure());
        EXPECT_TRUE(saveFigureText(text, path_.c_str()));
        firstsLock.reset();
        secondCloses.join();
    }
    SaveLock::beginsToWait = nullptr;
    EXPECT_EQ(SaveOutcome::changedFileAtStake, secondOutcome);
    EXPECT_EQ("PUNKTY 2\n\n1 2\n5 50\n\nLINIE 0\n\n", readText());
}

// Undoing every edit leaves nothing at stake: a file that could not be read
// is not replaced by the figure emptied again.
TEST_F(StartAndClose, EditsUndoneLeaveNothingToSave) {
    const std::string unreadable = "PUNKTY -1\n";
    write(unreadable);
    EditorState state;
    EXPECT_TRUE(loadAtStart(state, path_.c_str()));
    onCommand(state, 100);
    onLeftButtonDown(state, 5, 50);
    onCommand(state, 110);
    EXPECT_EQ(SaveOutcome::unreadFileKept, saveAtClose(state, ChangedFile::ask, path_.c_str()));
    EXPECT_EQ(unreadable, readBytes());
}

// Ctrl+S: the close's save without the close. Nothing edited writes nothing;
// a changed file waits for the user's word; a failure keeps the edits; a save
// that succeeded leaves nothing edited, hands back its bytes and does not
// settle the close, as later edits must be saved too.
TEST_F(StartAndClose, SaveNowWritesEditsOnlyAndLeavesTheCloseToCome) {
    const std::string ours = "PUNKTY 1\n\n1 2\n\nLINIE 0\n\n";
    const std::string theirs = "PUNKTY 1\n\n8 9\n\nLINIE 0\n\n";
    enum Meanwhile { untouched, rewritten, folderGone };
    struct Row {
        const char* name;
        bool edited;
        Meanwhile meanwhile;
        SaveOutcome expected;
        const char* status;
    };
    const Row rows[] = {
        {"not edited", false, untouched, SaveOutcome::notEdited, nothingToSaveText},
        {"not edited, file rewritten", false, rewritten, SaveOutcome::notEdited, nothingToSaveText},
        {"edited", true, untouched, SaveOutcome::written, figureSavedText},
        {"edited, file rewritten", true, rewritten, SaveOutcome::changedFileAtStake, operationCancelled},
        {"edited, folder gone", true, folderGone, SaveOutcome::failed, operationCancelled},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::create_directories(folder_);
        write(ours);
        EditorState state;
        EXPECT_FALSE(loadAtStart(state, path_.c_str()));
        if (row.edited) {
            onCommand(state, 100);
            onLeftButtonDown(state, 5, 50);
        }
        onCommand(state, 102);  // a half-done move, which the save ends
        if (row.meanwhile == rewritten) {
            write(theirs);
            fs::last_write_time(path_, fs::last_write_time(path_) + std::chrono::seconds(2));
        } else if (row.meanwhile == folderGone) {
            fs::remove_all(folder_);
        }
        const std::string before = row.meanwhile == folderGone ? "" : readBytes();
        std::vector<char> written;
        EXPECT_EQ(row.expected, saveNow(state, ChangedFile::ask, written, path_.c_str()));
        EXPECT_EQ(std::string(row.status), state.statusText);
        EXPECT_EQ(EditMode::idle, state.editMode);
        EXPECT_FALSE(state.saveSettled);
        if (row.expected == SaveOutcome::written) {
            EXPECT_FALSE(state.document.edited());
            EXPECT_EQ(std::string(written.begin(), written.end()), readBytes());
            EXPECT_EQ("PUNKTY 2\n\n1 2\n5 50\n\nLINIE 0\n\n", readText());
            // The file is the editor's again: an edit after it is saved at close without asking.
            onCommand(state, 100);
            onLeftButtonDown(state, 7, 70);
            EXPECT_EQ(SaveOutcome::written, saveAtClose(state, ChangedFile::ask, path_.c_str()));
            continue;
        }
        EXPECT_TRUE(written.empty());
        EXPECT_EQ(row.edited, state.document.edited());
        if (row.meanwhile != folderGone) {
            EXPECT_EQ(before, readBytes());
        }
        if (row.expected == SaveOutcome::changedFileAtStake) {
            // Tak: written over the other program's file.
            EXPECT_EQ(SaveOutcome::written, saveNow(state, ChangedFile::replace, written, path_.c_str()));
            EXPECT_EQ("PUNKTY 2\n\n1 2\n5 50\n\nLINIE 0\n\n", readText());
        }
    }
}

// The load reads the file's bytes once and hands them on for the journal's base.
TEST_F(StartAndClose, TheLoadHandsOnTheBytesItRead) {
    const std::string bytes = "// comment\r\nPUNKTY 1\r\n\r\n1 2\r\n";
    write(bytes);
    EditorState state;
    LoadedFile loaded;
    EXPECT_FALSE(loadAtStart(state, path_.c_str(), &loaded));
    EXPECT_TRUE(state.knownFile.read);
    EXPECT_EQ(bytes, std::string(loaded.bytes.begin(), loaded.bytes.end()));
    fs::remove(path_);
    LoadedFile none;
    EXPECT_TRUE(loadAtStart(state, path_.c_str(), &none));
    EXPECT_FALSE(state.knownFile.read);
}

}  // namespace

}  // namespace figury
