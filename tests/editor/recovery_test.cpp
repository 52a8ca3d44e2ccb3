// The start after a session that did not close: what is done with the journal
// it left, the figure it recovers and what the close then does with the file.

#include "editor/recovery.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "editor/texts.h"
#include "figure/figure_file.h"
#include "support/files.h"
#include "support/user_texts.h"
#include "support/memory_journal_file.h"

namespace figury {

namespace {

namespace fs = std::filesystem;

using testing_support::MemoryJournalFile;

// One run of the editor on the figure file, as the window runs it: the load,
// a journal started from what it read or a recovery, then edits.
class EditorRun {
public:
    explicit EditorRun(const std::string& path) : path_(path), journal_(file_) {
        loadAtStart(state, path_.c_str(), &loaded_);
    }
    void startAfresh() {
        startJournal(journal_, state, std::move(loaded_));
        listen();
    }
    // Tak in the recovery box: the file holds the journal cut to the steps taken.
    size_t recover(const MemoryJournalFile& left) {
        const JournalContents contents = left.read();
        EXPECT_EQ(LeftJournalStep::ask, stepFor(contents));
        const size_t taken = recoverSession(state, contents);
        file_.bytes = left.bytes;
        file_.bytes.resize(static_cast<size_t>(contents.sizeThrough(taken)));
        journal_.resume(contents.header);
        listen();
        return taken;
    }
    void addPoint(int32_t x, int32_t y) {
        onCommand(state, 100);
        onLeftButtonDown(state, x, y);
    }
    void undo() { onCommand(state, 110); }
    const MemoryJournalFile& journalFile() const { return file_; }

    EditorState state;

private:
    void listen() { state.document.setStepListener(journal_.listener()); }

    std::string path_;
    LoadedFile loaded_;
    MemoryJournalFile file_;
    SessionJournal journal_;
};

class Recovery : public ::testing::Test {
protected:
    testing_support::ScratchDir scratch_;
    const std::string path_ = scratch_.file("obiekt.obj");
    const std::string start_ = "PUNKTY 1\n\n1 2\n\nLINIE 0\n\n";

    void SetUp() override { testing_support::writeBytes(path_, start_); }
    void touch(const std::string& bytes) {
        testing_support::writeBytes(path_, bytes);
        // Whatever the file system's clock does within one test.
        fs::last_write_time(path_, fs::last_write_time(path_) + std::chrono::seconds(2));
    }
    std::string fileText() { return testing_support::readBytes(path_); }
};

TEST_F(Recovery, EachKindOfLeftJournalHasItsStep) {
    EditorRun run(path_);
    run.startAfresh();
    const std::vector<char> noSteps = run.journalFile().bytes;
    run.addPoint(5, 60);
    const std::vector<char> oneStep = run.journalFile().bytes;
    struct Row {
        const char* name;
        std::vector<char> bytes;
        LeftJournalStep expected;
    };
    const Row rows[] = {
        {"empty", {}, LeftJournalStep::setAside},
        {"cut in the header", std::vector<char>(noSteps.begin(), noSteps.begin() + 10),
         LeftJournalStep::setAside},
        {"foreign bytes", std::vector<char>(100, 'x'), LeftJournalStep::setAside},
        {"cut in the base", std::vector<char>(noSteps.begin(), noSteps.end() - 1), LeftJournalStep::setAside},
        {"no steps", noSteps, LeftJournalStep::drop},
        {"a step torn off", std::vector<char>(oneStep.begin(), oneStep.end() - 1), LeftJournalStep::drop},
        {"one step", oneStep, LeftJournalStep::ask},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.expected, stepFor(readJournal(row.bytes.data(), row.bytes.size())));
    }
}

TEST_F(Recovery, JournalsAreNamedFromTheFigureFileOneForEachCopy) {
    EXPECT_EQ("Dane/obiekt.obj.journal", journalPathForCopy("Dane/obiekt.obj", 1));
    EXPECT_EQ("Dane/obiekt.obj.journal.2", journalPathForCopy("Dane/obiekt.obj", 2));
    EXPECT_EQ("Dane/obiekt.obj.journal.3", journalPathForCopy("Dane/obiekt.obj", 3));
}

TEST_F(Recovery, TheQuestionCountsTheSteps) {
    for (size_t steps : {size_t{1}, size_t{2}, size_t{17}, size_t{1000}}) {
        EXPECT_EQ(user_texts::windows1250(user_texts::recovery(steps)), recoveryQuestion(steps));
    }
}

// The recovered figure is edited against the figure the lost session started
// from: each recovered step undone in turn leads back to it, and the close
// writes what was recovered.
TEST_F(Recovery, RecoversEveryStepUndoableAndTheCloseSavesIt) {
    EditorRun lost(path_);
    lost.startAfresh();
    lost.addPoint(5, 60);
    lost.addPoint(7, 80);
    lost.undo();
    lost.addPoint(9, 100);
    const Figure lostFigure = lost.state.document.figure();

    EditorRun next(path_);
    EXPECT_EQ(4u, next.recover(lost.journalFile()));
    EXPECT_EQ(lostFigure, next.state.document.figure());
    EXPECT_TRUE(next.state.document.edited());
    EXPECT_EQ(std::string(recoveredText), next.state.statusText);
    EXPECT_EQ(2u, next.state.document.undoSteps());
    next.undo();
    next.undo();
    Figure base;
    loadFigureFromBytes(base, start_.data(), start_.size());
    EXPECT_EQ(base, next.state.document.figure());
    EXPECT_FALSE(next.state.document.edited());
    next.state.document.redo();
    next.state.document.redo();
    EXPECT_EQ(SaveOutcome::written, saveAtClose(next.state, ChangedFile::ask, path_.c_str()));
    EXPECT_EQ(testing_support::platformText("PUNKTY 3\n\n1 2\n5 60\n9 100\n\nLINIE 0\n\n"), fileText());
}

// The recovered session is journalled too: a second crash before a save
// gives back the steps of both sessions.
TEST_F(Recovery, TwoCrashesInARowKeepTheStepsOfBothSessions) {
    EditorRun first(path_);
    first.startAfresh();
    first.addPoint(5, 60);
    EditorRun second(path_);
    second.recover(first.journalFile());
    second.addPoint(7, 80);
    second.undo();
    second.addPoint(9, 100);
    EditorRun third(path_);
    EXPECT_EQ(4u, third.recover(second.journalFile()));
    EXPECT_EQ(second.state.document.figure(), third.state.document.figure());
    EXPECT_EQ(2u, third.state.document.undoSteps());
}

// Another program saved the file after the lost session loaded it: the
// recovery gives that session's figure, and the close finds the file changed.
TEST_F(Recovery, AFileChangedSinceTheLostSessionIsNotTakenForItsBase) {
    EditorRun lost(path_);
    lost.startAfresh();
    lost.addPoint(5, 60);
    const std::string theirs = "PUNKTY 1\n\n100 200\n\nLINIE 0\n\n";
    touch(theirs);

    EditorRun next(path_);
    next.recover(lost.journalFile());
    EXPECT_EQ(lost.state.document.figure(), next.state.document.figure());
    EXPECT_EQ(SaveOutcome::changedFileAtStake, saveAtClose(next.state, ChangedFile::ask, path_.c_str()));
    EXPECT_EQ(theirs, fileText());
}

// Without a file the journal's base is the empty figure the session began with.
TEST_F(Recovery, ASessionWithoutAFileIsRecoveredOntoTheEmptyFigure) {
    fs::remove(path_);
    EditorRun lost(path_);
    lost.startAfresh();
    lost.addPoint(5, 60);
    EXPECT_EQ(JournalBaseOrigin::noFile, lost.journalFile().read().header.origin);

    EditorRun next(path_);
    next.recover(lost.journalFile());
    EXPECT_EQ(lost.state.document.figure(), next.state.document.figure());
    EXPECT_EQ(SaveOutcome::written, saveAtClose(next.state, ChangedFile::ask, path_.c_str()));
    EXPECT_EQ(testing_support::platformText("PUNKTY 1\n\n5 60\n\nLINIE 0\n\n"), fileText());
}

}  // namespace

}  // namespace figury
