#include "editor/session_journal.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "figure/figure_file.h"
#include "support/figures.h"
#include "support/memory_journal_file.h"

namespace figury {

namespace {

using testing_support::makeFigure;
using testing_support::pathFigure;

using testing_support::MemoryJournalFile;

// An editing session: a document whose steps go to a journal, and the
// figure after each step.
struct Session {
    explicit Session(const Figure& start, JournalBaseOrigin origin = JournalBaseOrigin::figureFile)
        : journal(file) {
        std::vector<char> base = figureFileText(start);
        Figure loaded;
        loadFigureFromBytes(loaded, base.data(), base.size());
        document.replace(loaded);
        figures.push_back(loaded);
        edited.push_back(false);
        journal.start(std::move(base), origin, 42);
        listen();
    }
    void listen() {
        document.setStepListener([this](StepTaken taken, EditKind kind, const FigureEdit& edit) {
            journal.record(taken, kind, edit);
            figures.push_back(document.figure());
            edited.push_back(document.edited());
        });
    }
    // Ctrl+S: the journal starts afresh from the figure saved.
    void save() {
        std::vector<char> text = figureFileText(document.figure());
        document.markSaved();
        journal.start(std::move(text), JournalBaseOrigin::figureFile, 42 + figures.size());
        savedAt = figures.size() - 1;
    }
    JournalContents read() const { return readJournal(file.bytes.data(), file.bytes.size()); }

    MemoryJournalFile file;
    SessionJournal journal;
    FigureDocument document;
    // The base, then the figure after each step, and whether it was edited.
    std::vector<Figure> figures;
    std::vector<bool> edited;
    size_t savedAt = 0;  // the step after which the journal started
};

// One step of a user's, through the operations the edit modes use; picks
// land on points more often than not. The step may do nothing.
void randomStep(FigureDocument& document, std::mt19937& random) {
    auto below = [&random](size_t n) { return static_cast<size_t>(random() % n); };
    const Figure& figure = document.figure();
    Point at{static_cast<int32_t>(below(12) * 8), static_cast<int32_t>(below(12) * 8)};
    if (!figure.points.empty() && below(4) != 0) {
        at = figure.points[below(figure.points.size())];
        at.x += static_cast<int32_t>(below(9)) - 4;
    }
    size_t picked = below(figure.points.size() + 1);
    switch (below(9)) {
        case 0:
        case 1:
            document.edit(EditKind::pointAdded, [at](Figure& edited, FigureEdit& edit) {
                addPoint(edited, at.x, at.y, &edit);
                return true;
            });
            break;
        case 2:
            document.edit(EditKind::pointsDeleted, [at](Figure& edited, FigureEdit& edit) {
                return deletePointsAt(edited, at.x, at.y, &edit);
            });
            break;
        case 3:
            selectPointAt(figure, at.x, at.y, picked);
            document.edit(EditKind::pointMoved, [picked, &below](Figure& edited, FigureEdit& edit) {
                return moveSelectedPointTo(edited, picked, static_cast<int32_t>(below(12) * 8),
                                           static_cast<int32_t>(below(12) * 8), &edit);
            });
            break;
        case 4:
        case 5:
            document.edit(EditKind::lineInserted, [picked, at](Figure& edited, FigureEdit& edit) {
                return insertLineTo(edited, picked, at.x, at.y, &edit);
            });
            break;
        case 6:
            document.edit(EditKind::lineDeleted, [&below](Figure& edited, FigureEdit& edit) {
                return deleteSelectedLine(edited, below(edited.lines.size() + 1), &edit);
            });
            break;
        case 7:
            document.undo();
            break;
        default:
            document.redo();
    }
}

Figure randomFigure(std::mt19937& random) {
    Figure figure;
    for (size_t k = random() % 8; k > 0; --k) {
        addPoint(figure, static_cast<int32_t>(random() % 12 * 8), static_cast<int32_t>(random() % 12 * 8));
    }
    for (size_t k = figure.points.empty() ? 0 : random() % 8; k > 0; --k) {
        const Point to = figure.points[random() % figure.points.size()];
        insertLineTo(figure, random() % figure.points.size(), to.x, to.y);
    }
    return figure;
}

// Undoes every step the recovered document can, in both documents together,
// then redoes them all: the two histories take the same steps through the
// same figures. With a base, the journal began with the session, so the two
// histories are the same throughout and lead back to it; else the original
// may hold steps from before the journal began, which the recovered document
// holds only when the journal took them.
void expectSameHistory(FigureDocument& recovered, FigureDocument& original, std::optional<Figure> base) {
    ASSERT_EQ(original.figure(), recovered.figure());
    ASSERT_EQ(original.edited(), recovered.edited());
    if (base) {
        ASSERT_EQ(original.undoSteps(), recovered.undoSteps());
        ASSERT_EQ(original.redoSteps(), recovered.redoSteps());
    }
    while (const std::optional<EditKind> kind = recovered.undo()) {
        ASSERT_EQ(kind, original.undo());
        ASSERT_EQ(original.figure(), recovered.figure());
        ASSERT_EQ(original.edited(), recovered.edited());
    }
    if (base) {
        EXPECT_FALSE(original.undo());
        EXPECT_EQ(*base, recovered.figure());
    }
    while (const std::optional<EditKind> kind = recovered.redo()) {
        ASSERT_EQ(kind, original.redo());
        ASSERT_EQ(original.figure(), recovered.figure());
        ASSERT_EQ(original.edited(), recovered.edited());
    }
    if (base) {
        EXPECT_FALSE(original.redo());
    }
}

// The history a replay leaves, counted from the steps: the steps to undo and
// to redo, and the undos and redos the history could not take itself, of
// steps made before the journal's base.
struct HistoryCount {
    size_t undoable = 0;
    size_t redoable = 0;
    size_t outside = 0;
};
HistoryCount countHistory(const JournalContents& contents) {
    HistoryCount count;
    size_t& undoable = count.undoable;
    size_t& redoable = count.redoable;
    for (const JournalStep& step : contents.steps) {
        size_t& from = step.kind == JournalStepKind::undo ? undoable : redoable;
        size_t& to = step.kind == JournalStepKind::undo ? redoable : undoable;
        if (step.kind == JournalStepKind::edit) {
            ++undoable;
            redoable = 0;
            continue;
        }
        if (from == 0) {
            ++count.outside;
        } else {
            --from;
        }
        ++to;
    }
    return count;
}

// Half the sessions are saved now and then, each save starting the journal
// afresh, while undo and redo still reach the steps before it.
TEST(SessionJournal, RandomSessionsReplayToTheFigureAndHistoryInMemory) {
    std::mt19937 random(2024);
    size_t outsideHistory = 0;  // undos and redos of steps from before a save
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        const bool saves = round % 2 == 1;
        Session session(randomFigure(random));
        for (int step = 0; step < 60; ++step) {
            randomStep(session.document, random);
            if (saves && random() % 12 == 0) {
                session.save();
            }
        }
        const JournalContents contents = session.read();
        ASSERT_TRUE(contents.readable());
        EXPECT_FALSE(contents.tailDropped);
        ASSERT_EQ(session.figures.size() - 1 - session.savedAt, contents.steps.size());
        FigureDocument recovered;
        ASSERT_EQ(contents.steps.size(), replayJournal(contents, recovered));
        const HistoryCount count = countHistory(contents);
        EXPECT_EQ(count.undoable, recovered.undoSteps());
        EXPECT_EQ(count.redoable, recovered.redoSteps());
        outsideHistory += count.outside;
        expectSameHistory(
            recovered, session.document,
            session.savedAt == 0 ? std::optional<Figure>(session.figures.front()) : std::nullopt);
    }
    EXPECT_GT(outsideHistory, 0u);
}

// After a save the journal starts from the figure saved, while undo and redo
// still reach the steps made before it: the replay takes those from their
// records, and its history holds them from then on.
TEST(SessionJournal, AfterASaveUndoAndRedoStillReachTheStepsBeforeIt) {
    Session session(pathFigure());
    FigureDocument& document = session.document;
    auto add = [&document](int32_t x) {
        document.edit(EditKind::pointAdded, [x](Figure& figure, FigureEdit& edit) {
            addPoint(figure, x, x, &edit);
            return true;
        });
    };
    add(300);
    add(400);
    document.edit(EditKind::pointMoved, [](Figure& figure, FigureEdit& edit) {
        return moveSelectedPointTo(figure, 0, 50, 50, &edit);
    });
    document.undo();  // the move, kept to be redone
    session.save();
    document.undo();  // the second point, added before the save
    document.undo();  // the first
    document.redo();
    document.redo();
    document.redo();  // the move, undone before the save
    document.undo();  // the move again, now in the journal's own history

    const JournalContents contents = session.read();
    ASSERT_EQ(6u, contents.steps.size());
    EXPECT_EQ(3u, countHistory(contents).outside);
    FigureDocument recovered;
    ASSERT_EQ(6u, replayJournal(contents, recovered));
    EXPECT_EQ(document.figure(), recovered.figure());
    EXPECT_FALSE(recovered.edited()) << "back at the figure saved";
    expectSameHistory(recovered, document, std::nullopt);
    while (recovered.undo()) {
    }
    EXPECT_EQ(pathFigure(), recovered.figure()) << "both points added before the save undone";
    EXPECT_TRUE(recovered.edited());
    EXPECT_EQ(3u, recovered.redoSteps());
}

TEST(SessionJournal, AJournalCutAtEveryByteRecoversAPrefixOfTheSteps) {
    std::mt19937 random(99);
    Session session(pathFigure());
    for (int step = 0; step < 60; ++step) {
        randomStep(session.document, random);
    }
    // Every kind of edit, undone and redone, is among the steps.
    std::set<int> kinds;  // the kinds of edit made, and -2 and -3 for an undo and a redo
    for (const JournalStep& step : session.read().steps) {
        kinds.insert(step.kind == JournalStepKind::edit ? step.editKind : -static_cast<int>(step.kind));
    }
    ASSERT_EQ(7u, kinds.size());
    const std::vector<char>& bytes = session.file.bytes;
    const size_t start = session.read().sizeThrough(0);
    size_t last = 0;
    for (size_t size = 0; size <= bytes.size(); ++size) {
        const JournalContents contents = readJournal(bytes.data(), size);
        ASSERT_EQ(size >= start, contents.readable()) << size;
        if (!contents.readable()) {
            continue;
        }
        FigureDocument recovered;
        const size_t replayed = replayJournal(contents, recovered);
        ASSERT_EQ(contents.steps.size(), replayed) << size;
        ASSERT_GE(replayed, last) << size;
        last = replayed;
        ASSERT_EQ(session.figures[replayed], recovered.figure()) << size;
        EXPECT_EQ(session.edited[replayed], recovered.edited()) << size;
    }
    EXPECT_EQ(session.figures.size() - 1, last);
}

TEST(SessionJournal, ASecondCrashRecoversTheStepsOfBothSessions) {
    std::mt19937 random(5);
    Session first(makeFigure({{0, 0}, {8, 8}}, {{1, 2}}));
    for (int step = 0; step < 30; ++step) {
        randomStep(first.document, random);
    }
    // The crash tears the last record.
    std::vector<char> bytes = first.file.bytes;
    bytes.resize(bytes.size() - 3);

    JournalContents contents = readJournal(bytes.data(), bytes.size());
    ASSERT_TRUE(contents.readable());
    ASSERT_TRUE(contents.tailDropped);
    MemoryJournalFile file;
    SessionJournal journal(file);
    FigureDocument second;
    const size_t replayed = replayJournal(contents, second);
    ASSERT_EQ(first.figures.size() - 2, replayed);
    EXPECT_EQ(first.figures[replayed], second.figure());
    // The torn record is cut away and the new steps follow the sound ones.
    file.bytes.assign(bytes.begin(),
                      bytes.begin() + static_cast<std::ptrdiff_t>(contents.sizeThrough(replayed)));
    journal.resume(contents.header);
    second.setStepListener(journal.listener());
    for (int step = 0; step < 30; ++step) {
        randomStep(second, random);
    }

    contents = readJournal(file.bytes.data(), file.bytes.size());
    ASSERT_TRUE(contents.readable());
    EXPECT_FALSE(contents.tailDropped);
    EXPECT_EQ(replayed + static_cast<size_t>(file.appends), contents.steps.size());
    FigureDocument third;
    ASSERT_EQ(contents.steps.size(), replayJournal(contents, third));
    expectSameHistory(third, second, first.figures.front());
}

TEST(SessionJournal, AStepThatDoesNotFitEndsTheReplayThere) {
    Session session(pathFigure());
    FigureDocument& document = session.document;
    document.edit(EditKind::pointAdded, [](Figure& figure, FigureEdit& edit) {
        addPoint(figure, 300, 300, &edit);
        return true;
    });
    document.edit(EditKind::pointMoved, [](Figure& figure, FigureEdit& edit) {
        return moveSelectedPointTo(figure, 1, 250, 150, &edit);
    });
    document.undo();
    document.edit(EditKind::pointsDeleted,
                  [](Figure& figure, FigureEdit& edit) { return deletePointsAt(figure, 200, 100, &edit); });
    const JournalContents sound = session.read();
    ASSERT_EQ(4u, sound.steps.size());

    struct Case {
        const char* name;
        size_t at;  // the step changed
        void (*change)(std::vector<JournalStep>& steps, size_t at);
    };
    const Case cases[] = {
        {"a removal of a point that is elsewhere", 3,
         [](std::vector<JournalStep>& steps, size_t at) { steps[at].edit.pointsRemoved[0].shape.x += 1; }},
        {"a removal past the last line", 3,
         [](std::vector<JournalStep>& steps, size_t at) { steps[at].edit.linesRemoved.back().index = 2; }},
        {"a move from where no point is", 1,
         [](std::vector<JournalStep>& steps, size_t at) { steps[at].edit.pointsChanged[0].before.y = 7; }},
        {"an addition past the end", 0,
         [](std::vector<JournalStep>& steps, size_t at) { steps[at].edit.pointsAdded[0].index = 4; }},
        {"a kind of edit this editor does not make", 3,
         [](std::vector<JournalStep>& steps, size_t at) { steps[at].editKind = 5; }},
        {"an edit that changes nothing", 0,
         [](std::vector<JournalStep>& steps, size_t at) { steps[at].edit = FigureEdit{}; }},
        {"an undo of another step than the history's last", 2,
         [](std::vector<JournalStep>& steps, size_t at) { steps[at].edit = steps[0].edit; }},
        {"an undo of the history's last step as another kind", 2,
         [](std::vector<JournalStep>& steps, size_t at) { steps[at].editKind = 0; }},
        {"a redo of another step than the history's next", 3,
         [](std::vector<JournalStep>& steps, size_t at) {
             steps[at] = JournalStep{JournalStepKind::redo, 0, steps[0].edit, 0};
         }},
        {"an undo from before the base that does not fit", 0,
         [](std::vector<JournalStep>& steps, size_t at) {
             steps[at] = JournalStep{JournalStepKind::undo, 2, steps[1].edit, 0};
         }},
        {"a redo from before the base that does not fit", 2,
         [](std::vector<JournalStep>& steps, size_t at) {
             steps[at] = JournalStep{JournalStepKind::redo, 2, steps[1].edit, 0};
         }},
    };
    for (const Case& one : cases) {
        SCOPED_TRACE(one.name);
        JournalContents contents = sound;
        one.change(contents.steps, one.at);
        FigureDocument recovered;
        EXPECT_EQ(one.at, replayJournal(contents, recovered));
        EXPECT_EQ(session.figures[one.at], recovered.figure());
        EXPECT_EQ(one.at > 0, recovered.edited());
    }
}

// The base, as whatever bytes the file held, gives the figure the session
// started with: the loader's, or none when it read nothing.
TEST(SessionJournal, TheBaseGivesTheFigureTheSessionStartedFrom) {
    struct Case {
        const char* name;
        std::string base;
        JournalBaseOrigin origin;
        Figure expected;
    };
    const std::vector<char> emptyText = figureFileText(Figure{});
    const Case cases[] = {
        {"the writer's text", "PUNKTY 2\n\n1 2\n3 4\n\nLINIE 1\n\n2 1\n", JournalBaseOrigin::figureFile,
         makeFigure({{1, 2}, {3, 4}}, {{2, 1}})},
        {"CR LF line ends and a comment", "/ x\r\nPUNKTY 1\r\n5 6\r\n", JournalBaseOrigin::figureFile,
         makeFigure({{5, 6}})},
        {"a file the loader refuses", "PUNKTY -1\n", JournalBaseOrigin::figureFile, Figure{}},
        {"an empty file", "", JournalBaseOrigin::figureFile, Figure{}},
        {"no file", std::string(emptyText.begin(), emptyText.end()), JournalBaseOrigin::noFile, Figure{}},
    };
    for (const Case& one : cases) {
        SCOPED_TRACE(one.name);
        MemoryJournalFile file;
        SessionJournal journal(file);
        journal.start(std::vector<char>(one.base.begin(), one.base.end()), one.origin, 7);
        // Edited and undone: the figure is the base again, with a step to redo.
        std::vector<char> steps;
        std::vector<size_t> ends = {0};
        const FigureEdit added{{}, {}, {{0, {9, 9}}}, {}, {}, {}};
        encodeJournalStep(steps, 7, JournalStepKind::edit, journalEditKind(EditKind::pointAdded), added);
        ends.push_back(steps.size());
        encodeJournalStep(steps, 7, JournalStepKind::undo, journalEditKind(EditKind::pointAdded), added);
        ends.push_back(steps.size());
        for (const size_t count : {size_t{0}, size_t{1}, size_t{2}}) {
            std::vector<char> bytes = file.bytes;
            bytes.insert(bytes.end(), steps.begin(),
                         steps.begin() + static_cast<std::ptrdiff_t>(ends[count]));
            const JournalContents contents = readJournal(bytes.data(), bytes.size());
            ASSERT_TRUE(contents.readable());
            EXPECT_EQ(one.origin, contents.header.origin);
            FigureDocument recovered(makeFigure({{-1, -1}}));
            ASSERT_EQ(count, replayJournal(contents, recovered));
            EXPECT_EQ(count == 1, recovered.edited()) << count;
            EXPECT_EQ(count == 2 ? 1u : 0u, recovered.redoSteps()) << count;
            if (count != 1) {
                EXPECT_EQ(one.expected, recovered.figure()) << count;
            }
        }
    }
    // An unreadable journal is not replayed: the document stays as it was.
    FigureDocument untouched(makeFigure({{-1, -1}}));
    EXPECT_EQ(0u, replayJournal(readJournal("FIGJOURN", 8), untouched));
    EXPECT_EQ(makeFigure({{-1, -1}}), untouched.figure());
}

TEST(SessionJournal, AFailedWriteIsToldOnceAndEndsTheJournalNotTheEditing) {
    Session session(pathFigure());
    session.file.refusedAppend = 2;
    auto addAPoint = [&session](int32_t x) {
        return session.document.edit(EditKind::pointAdded, [x](Figure& figure, FigureEdit& edit) {
            addPoint(figure, x, 0, &edit);
            return true;
        });
    };
    EXPECT_FALSE(session.journal.takeFailure());
    addAPoint(1);
    session.document.undo();
    EXPECT_TRUE(session.journal.active());
    EXPECT_FALSE(session.journal.takeFailure());
    session.document.redo();  // refused
    EXPECT_FALSE(session.journal.active());
    EXPECT_TRUE(session.journal.takeFailure());
    EXPECT_FALSE(session.journal.takeFailure());
    EXPECT_TRUE(addAPoint(2));
    EXPECT_EQ(3, session.file.appends) << "nothing is written after the failure";
    EXPECT_EQ(2, session.file.flushes) << "each record written is flushed";
    EXPECT_EQ(makeFigure({{100, 100}, {200, 100}, {150, 200}, {1, 0}, {2, 0}}, {{1, 2}, {2, 3}}),
              session.document.figure());
    EXPECT_EQ(2u, session.read().steps.size());

    // The save's new start begins again, from the figure saved.
    std::vector<char> saved = figureFileText(session.document.figure());
    session.document.markSaved();
    session.journal.start(saved, JournalBaseOrigin::figureFile, 43);
    EXPECT_TRUE(session.journal.active());
    addAPoint(3);
    session.document.undo();
    const JournalContents contents = session.read();
    ASSERT_EQ(2u, contents.steps.size());
    EXPECT_EQ(saved, contents.base);
    FigureDocument recovered;
    replayJournal(contents, recovered);
    EXPECT_EQ(session.document.figure(), recovered.figure());
    EXPECT_FALSE(recovered.edited());
    EXPECT_EQ(0u, recovered.undoSteps());
    EXPECT_EQ(1u, recovered.redoSteps());

    // A file that cannot be started is told of too, and takes nothing.
    MemoryJournalFile refusing;
    refusing.refuseBegin = true;
    SessionJournal journal(refusing);
    journal.record(StepTaken::undo, EditKind::pointAdded, FigureEdit{});
    EXPECT_EQ(0, refusing.appends) << "nothing is written before the start";
    journal.start({}, JournalBaseOrigin::noFile);
    EXPECT_FALSE(journal.active());
    EXPECT_TRUE(journal.takeFailure());
    journal.record(StepTaken::undo, EditKind::pointAdded, FigureEdit{});
    EXPECT_EQ(0, refusing.appends);
}

TEST(SessionJournal, KindsOfEditKeepTheirNumbers) {
    const std::pair<EditKind, uint8_t> numbers[] = {
        {EditKind::pointAdded, 0},   {EditKind::pointsDeleted, 1}, {EditKind::pointMoved, 2},
        {EditKind::lineInserted, 3}, {EditKind::lineDeleted, 4},
    };
    for (const auto& [kind, number] : numbers) {
        EXPECT_EQ(number, journalEditKind(kind));
        EXPECT_EQ(kind, editKindFromJournal(number));
    }
    EXPECT_FALSE(editKindFromJournal(5));
    EXPECT_FALSE(editKindFromJournal(255));
    EXPECT_EQ("Dane/obiekt.obj.journal", journalPathFor("Dane/obiekt.obj"));
}

}  // namespace

}  // namespace figury
