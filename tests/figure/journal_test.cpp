#include "figure/journal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "figure/bytes_hash.h"
#include "figure/figure_file.h"
#include "support/figures.h"

namespace figury {

namespace {

using testing_support::makeFigure;
using testing_support::pathFigure;

constexpr uint64_t session = 0x0123456789ABCDEFu;
const std::string baseText = "PUNKTY 3\n\n100 100\n200 100\n150 200\n\nLINIE 2\n\n1 2\n2 3\n";

std::vector<char> journalStart(const std::string& base = baseText, uint64_t ofSession = session) {
    std::vector<char> bytes = encodeJournalHeader(base.size(), bytesHash(base.data(), base.size()),
                                                  JournalBaseOrigin::figureFile, ofSession);
    bytes.insert(bytes.end(), base.begin(), base.end());
    return bytes;
}

struct RecordedStep {
    JournalStepKind kind;
    uint8_t editKind;
    FigureEdit edit;
};

// Each kind of step: the five edits as the operations record them, one with
// the extreme coordinates and indices, an undo and a redo of the line inserted.
std::vector<RecordedStep> stepsOfEveryKind() {
    Figure figure = makeFigure({{100, 100}, {200, 100}, {150, 200}, {100, 100}}, {{1, 2}, {2, 3}, {3, 4}});
    std::vector<RecordedStep> steps;
    auto make = [&](uint8_t kind, auto operation) {
        FigureEdit edit;
        EXPECT_TRUE(operation(edit));
        steps.push_back({JournalStepKind::edit, kind, edit});
    };
    make(0, [&](FigureEdit& edit) { return addPoint(figure, -7, INT32_MAX, &edit), true; });
    make(2, [&](FigureEdit& edit) { return moveSelectedPointTo(figure, 3, 300, 300, &edit); });
    make(3, [&](FigureEdit& edit) { return insertLineTo(figure, 1, 150, 200, &edit); });
    make(4, [&](FigureEdit& edit) { return deleteSelectedLine(figure, 1, &edit); });
    make(1, [&](FigureEdit& edit) { return deletePointsAt(figure, 200, 100, &edit); });
    FigureEdit extreme;
    extreme.pointsRemoved = {{0, {INT32_MIN, INT32_MAX}}, {SIZE_MAX, {-1, 0}}};
    extreme.linesChanged = {{SIZE_MAX - 1, {{INT32_MIN, -1}, {0, 1}}, {{2, 3}, {INT32_MAX, INT32_MIN}}}};
    steps.push_back({JournalStepKind::edit, 255, extreme});
    steps.push_back({JournalStepKind::undo, 3, steps[2].edit});
    steps.push_back({JournalStepKind::redo, 3, steps[2].edit});
    return steps;
}

void encode(std::vector<char>& out, const RecordedStep& step) {
    encodeJournalStep(out, session, step.kind, step.editKind, step.edit);
}

// An undo or a redo of a point added.
void encodeUndoOrRedo(std::vector<char>& out, JournalStepKind kind) {
    FigureEdit edit;
    edit.pointsAdded = {{0, {1, 2}}};
    encodeJournalStep(out, session, kind, 0, edit);
}

// A journal of every kind of step, and where each record ends.
std::vector<char> journalOfEveryKind(std::vector<size_t>& ends) {
    std::vector<char> bytes = journalStart();
    for (const RecordedStep& step : stepsOfEveryKind()) {
        encode(bytes, step);
        ends.push_back(bytes.size());
    }
    return bytes;
}

TEST(Journal, EveryKindOfStepReadsBackAsWritten) {
    std::vector<size_t> ends;
    const std::vector<char> bytes = journalOfEveryKind(ends);
    const JournalContents contents = readJournal(bytes.data(), bytes.size());
    ASSERT_TRUE(contents.readable());
    EXPECT_EQ(JournalBaseOrigin::figureFile, contents.header.origin);
    EXPECT_EQ(session, contents.header.session);
    EXPECT_EQ(baseText, std::string(contents.base.begin(), contents.base.end()));
    EXPECT_FALSE(contents.tailDropped);
    const std::vector<RecordedStep> steps = stepsOfEveryKind();
    ASSERT_EQ(steps.size(), contents.steps.size());
    for (size_t k = 0; k < steps.size(); ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(steps[k].kind, contents.steps[k].kind);
        EXPECT_EQ(steps[k].editKind, contents.steps[k].editKind);
        EXPECT_TRUE(steps[k].edit == contents.steps[k].edit);
        EXPECT_EQ(ends[k], contents.sizeThrough(k + 1));
    }
    EXPECT_EQ(journalHeaderSize + baseText.size(), contents.sizeThrough(0));
    // Given over, the bytes read the same, the base made of them.
    const JournalContents givenOver = readJournal(std::vector<char>(bytes));
    EXPECT_EQ(contents.base, givenOver.base);
    EXPECT_EQ(contents.sizeThrough(steps.size()), givenOver.sizeThrough(steps.size()));

    // With no file, the base is the writer's text of the empty figure, which
    // the loader refuses, as the start did.
    const std::vector<char> empty = figureFileText(Figure{});
    std::vector<char> noFile = encodeJournalHeader(empty.size(), bytesHash(empty.data(), empty.size()),
                                                   JournalBaseOrigin::noFile, 1);
    noFile.insert(noFile.end(), empty.begin(), empty.end());
    const JournalContents fresh = readJournal(noFile.data(), noFile.size());
    ASSERT_TRUE(fresh.readable());
    EXPECT_EQ(JournalBaseOrigin::noFile, fresh.header.origin);
    EXPECT_EQ(empty, fresh.base);
    EXPECT_TRUE(fresh.steps.empty());
}

// The checksum is the standard CRC-32, and goes on from where it stopped.
TEST(Journal, TheChecksumIsCrc32) {
    const char digits[] = "123456789";
    EXPECT_EQ(0xCBF43926u, journalChecksum(0, digits, 9));
    EXPECT_EQ(0xCBF43926u, journalChecksum(journalChecksum(0, digits, 4), digits + 4, 5));
}

// The header's fields, rewritten with a sound checksum.
std::vector<char> withHeaderField(std::vector<char> bytes, size_t at, uint32_t value) {
    for (int k = 0; k < 4; ++k) {
        bytes[at + static_cast<size_t>(k)] = static_cast<char>((value >> (8 * k)) & 0xFF);
    }
    const uint32_t crc = journalChecksum(0, bytes.data(), journalHeaderSize - 4);
    for (int k = 0; k < 4; ++k) {
        bytes[journalHeaderSize - 4 + static_cast<size_t>(k)] = static_cast<char>((crc >> (8 * k)) & 0xFF);
    }
    return bytes;
}

TEST(Journal, AJournalWithoutASoundHeaderAndBaseIsUnreadable) {
    const std::vector<char> start = journalStart();
    const std::string figureFile = baseText;
    struct Case {
        const char* name;
        std::vector<char> bytes;
        JournalProblem problem;
    };
    const std::vector<Case> cases = {
        {"nothing", {}, JournalProblem::shortHeader},
        {"a figure file", std::vector<char>(figureFile.begin(), figureFile.end()), JournalProblem::foreign},
        {"a header cut short", std::vector<char>(start.begin(), start.begin() + 43),
         JournalProblem::shortHeader},
        {"the magic alone", std::vector<char>(start.begin(), start.begin() + 8), JournalProblem::shortHeader},
        {"a base cut short", std::vector<char>(start.begin(), start.end() - 1), JournalProblem::shortBase},
        {"a later version", withHeaderField(start, 8, 2), JournalProblem::unknownVersion},
        {"an origin this version does not know", withHeaderField(start, 12, 2),
         JournalProblem::unknownVersion},
        {"a base size past the end", withHeaderField(start, 28, 1), JournalProblem::shortBase},
        {"a base that is not the one hashed", withHeaderField(start, 36, 7), JournalProblem::damagedBase},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const JournalContents contents = readJournal(c.bytes.data(), c.bytes.size());
        EXPECT_EQ(c.problem, contents.problem);
        EXPECT_TRUE(contents.steps.empty());
    }

    // Every byte of the header and the base is checked: the magic's, the
    // checksum's or the hash's; a record after them changes nothing.
    std::vector<char> bytes = start;
    encodeUndoOrRedo(bytes, JournalStepKind::undo);
    for (size_t k = 0; k < start.size(); ++k) {
        for (const char flip : {'\x01', '\x80'}) {
            bytes[k] ^= flip;
            const JournalProblem problem = readJournal(bytes.data(), bytes.size()).problem;
            const JournalProblem expected = k < 8                   ? JournalProblem::foreign
                                            : k < journalHeaderSize ? JournalProblem::damagedHeader
                                                                    : JournalProblem::damagedBase;
            EXPECT_EQ(expected, problem) << "byte " << k;
            bytes[k] ^= flip;
        }
    }
    EXPECT_TRUE(readJournal(bytes.data(), bytes.size()).readable());
}

// Cut anywhere, a journal gives the records wholly before the cut; a byte
// changed anywhere in a record drops it and everything after it.
TEST(Journal, ATornOrDamagedRecordIsDroppedWithWhatFollows) {
    std::vector<size_t> ends;
    std::vector<char> bytes = journalOfEveryKind(ends);
    const size_t start = journalHeaderSize + baseText.size();
    for (size_t size = 0; size <= bytes.size(); ++size) {
        const JournalContents contents = readJournal(bytes.data(), size);
        ASSERT_EQ(size >= start, contents.readable()) << size;
        if (!contents.readable()) {
            continue;
        }
        size_t whole = 0;
        while (whole < ends.size() && ends[whole] <= size) {
            ++whole;
        }
        EXPECT_EQ(whole, contents.steps.size()) << size;
        EXPECT_EQ(size != contents.sizeThrough(whole), contents.tailDropped) << size;
    }
    for (size_t k = start; k < bytes.size(); ++k) {
        const size_t record =
            static_cast<size_t>(std::upper_bound(ends.begin(), ends.end(), k) - ends.begin());
        for (const char flip : {'\x01', '\x10', '\x80'}) {
            bytes[k] ^= flip;
            const JournalContents contents = readJournal(bytes.data(), bytes.size());
            EXPECT_EQ(record, contents.steps.size()) << "byte " << k;
            EXPECT_TRUE(contents.tailDropped);
            bytes[k] ^= flip;
        }
    }
}

// A record whose checksum is sound but whose content the reader cannot take.
std::vector<char> sealedRecord(const std::vector<unsigned char>& payload, uint64_t ofSession = session) {
    std::vector<char> record(12);
    const uint64_t size = payload.size();
    for (int k = 0; k < 8; ++k) {
        record[static_cast<size_t>(k)] = static_cast<char>((size >> (8 * k)) & 0xFF);
    }
    record.insert(record.end(), payload.begin(), payload.end());
    char sessionBytes[8];
    for (int k = 0; k < 8; ++k) {
        sessionBytes[k] = static_cast<char>((ofSession >> (8 * k)) & 0xFF);
    }
    uint32_t crc = journalChecksum(journalChecksum(0, sessionBytes, 8), record.data(), 8);
    crc = journalChecksum(crc, record.data() + 12, payload.size());
    for (int k = 0; k < 4; ++k) {
        record[8 + static_cast<size_t>(k)] = static_cast<char>((crc >> (8 * k)) & 0xFF);
    }
    return record;
}

// A step's payload: the step's number, kind 0, then the six counts given,
// with no entries.
std::vector<unsigned char> stepPayload(unsigned char step, const std::vector<uint64_t>& counts) {
    std::vector<unsigned char> payload = {step, 0};
    for (uint64_t count : counts) {
        for (int k = 0; k < 8; ++k) {
            payload.push_back(static_cast<unsigned char>((count >> (8 * k)) & 0xFF));
        }
    }
    return payload;
}

TEST(Journal, ARecordTheReaderCannotTakeEndsTheSteps) {
    const std::vector<uint64_t> none = {0, 0, 0, 0, 0, 0};
    std::vector<unsigned char> trailing = stepPayload(1, none);
    trailing.push_back(0);
    struct Case {
        const char* name;
        std::vector<char> record;
    };
    const std::vector<Case> cases = {
        {"an empty payload", sealedRecord({})},
        {"no step of this number", sealedRecord(stepPayload(0, none))},
        {"a step number past the last", sealedRecord(stepPayload(4, none))},
        {"an undo without its edit", sealedRecord({2, 0})},
        {"an edit cut short", sealedRecord({1, 0, 0, 0})},
        {"a count larger than the bytes could hold",
         sealedRecord(stepPayload(1, {uint64_t{1} << 60, 0, 0, 0, 0, 0}))},
        {"the largest count", sealedRecord(stepPayload(3, {0, 0, 0, UINT64_MAX, 0, 0}))},
        {"an edit with bytes after its lists", sealedRecord(trailing)},
        {"a record of another session", sealedRecord(stepPayload(2, none), session + 1)},
        {"zeros, as a file grown by a crash holds", std::vector<char>(64, '\0')},
        {"a size past the end", std::vector<char>(12, '\xFF')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<char> bytes = journalStart();
        encodeUndoOrRedo(bytes, JournalStepKind::redo);
        bytes.insert(bytes.end(), c.record.begin(), c.record.end());
        encodeUndoOrRedo(bytes, JournalStepKind::undo);
        const JournalContents contents = readJournal(bytes.data(), bytes.size());
        ASSERT_TRUE(contents.readable());
        ASSERT_EQ(1u, contents.steps.size());
        EXPECT_EQ(JournalStepKind::redo, contents.steps[0].kind);
        EXPECT_TRUE(contents.tailDropped);
    }
    // The same helper's sound records are read: the cases above fail for
    // what they hold, not for their seal.
    std::vector<char> bytes = journalStart();
    for (const auto& payload : {stepPayload(2, none), stepPayload(1, none)}) {
        const std::vector<char> record = sealedRecord(payload);
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    EXPECT_EQ(2u, readJournal(bytes.data(), bytes.size()).steps.size());
}

TEST(Journal, TheFileHoldsTheBaseWhileItHoldsItsBytes) {
    const std::vector<char> start = journalStart();
    const JournalHeader file = readJournal(start.data(), start.size()).header;
    JournalHeader none = file;
    none.origin = JournalBaseOrigin::noFile;
    const std::string changed = "PUNKTY 3\n\n100 100\n200 100\n150 201\n\nLINIE 2\n\n1 2\n2 3\n";
    FileStamp unread;
    unread.present = true;
    EXPECT_TRUE(fileHoldsJournalBase(file, stampOfBytes(baseText.data(), baseText.size())));
    EXPECT_FALSE(fileHoldsJournalBase(file, stampOfBytes(changed.data(), changed.size())));
    EXPECT_FALSE(fileHoldsJournalBase(file, stampOfBytes(baseText.data(), baseText.size() - 1)));
    EXPECT_FALSE(fileHoldsJournalBase(file, unread));
    EXPECT_TRUE(fileHoldsJournalBase(none, FileStamp{}));
    EXPECT_FALSE(fileHoldsJournalBase(none, stampOfBytes(baseText.data(), baseText.size())));
}

// What redoing the edit does, step by step on a copy, each step checked:
// the removals from the back, the additions from the front, then the changes.
bool fitsStepByStep(Figure figure, const FigureEdit& edit) {
    auto apply = [](auto& shapes, const auto& removed, const auto& added, const auto& changed) {
        for (size_t k = removed.size(); k > 0; --k) {
            const size_t index = removed[k - 1].index;
            if ((k < removed.size() && index >= removed[k].index) || index >= shapes.size() ||
                shapes[index] != removed[k - 1].shape) {
                return false;
            }
            shapes.erase(shapes.begin() + static_cast<std::ptrdiff_t>(index));
        }
        for (size_t k = 0; k < added.size(); ++k) {
            if ((k > 0 && added[k].index <= added[k - 1].index) || added[k].index > shapes.size()) {
                return false;
            }
            shapes.insert(shapes.begin() + static_cast<std::ptrdiff_t>(added[k].index), added[k].shape);
        }
        for (size_t k = 0; k < changed.size(); ++k) {
            if ((k > 0 && changed[k].index <= changed[k - 1].index) || changed[k].index >= shapes.size() ||
                shapes[changed[k].index] != changed[k].before) {
                return false;
            }
            shapes[changed[k].index] = changed[k].after;
        }
        return true;
    };
    return !edit.empty() && apply(figure.points, edit.pointsRemoved, edit.pointsAdded, edit.pointsChanged) &&
           apply(figure.lines, edit.linesRemoved, edit.linesAdded, edit.linesChanged);
}

TEST(Journal, AnEditFitsTheFigureItWasRecordedOn) {
    const Figure figure = pathFigure();  // (100,100) (200,100) (150,200), lines 1-2 2-3
    const Point a{100, 100}, b{200, 100}, c{150, 200}, z{9, 9};
    const Line ab{a, b}, bc{b, c};
    struct Case {
        const char* name;
        FigureEdit edit;
        bool fits;
    };
    const std::vector<Case> cases = {
        {"nothing changed", {}, false},
        {"a point taken out", {{{1, b}}, {{0, ab}, {1, bc}}, {}, {}, {}, {}}, true},
        {"a point that is not there", {{{1, a}}, {}, {}, {}, {}, {}}, false},
        {"past the last point", {{{3, a}}, {}, {}, {}, {}, {}}, false},
        {"removals out of order", {{{1, b}, {0, a}}, {}, {}, {}, {}, {}}, false},
        {"the same point twice", {{{0, a}, {0, a}}, {}, {}, {}, {}, {}}, false},
        {"a point put in at the end", {{}, {}, {{3, z}}, {}, {}, {}}, true},
        {"a point put in past the end", {{}, {}, {{4, z}}, {}, {}, {}}, false},
        {"points put in around the others", {{}, {}, {{0, z}, {4, z}}, {}, {}, {}}, true},
        {"additions out of order", {{}, {}, {{1, z}, {0, z}}, {}, {}, {}}, false},
        {"a point moved", {{}, {}, {}, {}, {{2, c, z}}, {{1, bc, {b, z}}}}, true},
        {"a move from where the point is not", {{}, {}, {}, {}, {{2, b, z}}, {}}, false},
        {"a change past the end", {{}, {}, {}, {}, {{3, c, z}}, {}}, false},
        {"changes out of order", {{}, {}, {}, {}, {{2, c, z}, {1, b, z}}, {}}, false},
        {"a change of the point that took a removed one's place",
         {{{0, a}}, {}, {}, {}, {{0, b, z}}, {}},
         true},
        {"a change of the removed point's old place", {{{0, a}}, {}, {}, {}, {{0, a, z}}, {}}, false},
        {"a change of a point put in", {{}, {}, {{1, z}}, {}, {{1, z, a}, {2, b, a}}, {}}, true},
        {"removed, put in and changed about each other",
         {{{0, a}, {2, c}}, {}, {{0, z}, {2, c}}, {}, {{1, b, a}}, {}},
         true},
        {"a line taken out whose ends differ", {{}, {{1, ab}}, {}, {}, {}, {}}, false},
    };
    for (const Case& one : cases) {
        SCOPED_TRACE(one.name);
        EXPECT_EQ(one.fits, editFits(figure, one.edit));
        EXPECT_EQ(one.fits, fitsStepByStep(figure, one.edit));
        if (one.fits) {
            Figure edited = figure;
            redoEdit(edited, one.edit);
            EXPECT_TRUE(undoFits(edited, one.edit));
            undoEdit(edited, one.edit);
            EXPECT_EQ(figure, edited);
        }
    }
}

Point& firstPointOf(Point& point) {
    return point;
}
Point& firstPointOf(Line& line) {
    return line.first;
}
template <class Shape>
Shape& shapeOf(ShapeAt<Shape>& at, bool) {
    return at.shape;
}
template <class Shape>
Shape& shapeOf(ShapeChange<Shape>& change, bool after) {
    return after ? change.after : change.before;
}

// What undoing the edit does, step by step on a copy, each step checked: the
// changes, then the additions taken out from the back, then the removals put
// back from the front.
bool undoesStepByStep(Figure figure, const FigureEdit& edit) {
    auto apply = [](auto& shapes, const auto& removed, const auto& added, const auto& changed) {
        for (size_t k = 0; k < changed.size(); ++k) {
            if ((k > 0 && changed[k].index <= changed[k - 1].index) || changed[k].index >= shapes.size() ||
                shapes[changed[k].index] != changed[k].after) {
                return false;
            }
            shapes[changed[k].index] = changed[k].before;
        }
        for (size_t k = added.size(); k > 0; --k) {
            const size_t index = added[k - 1].index;
            if ((k < added.size() && index >= added[k].index) || index >= shapes.size() ||
                shapes[index] != added[k - 1].shape) {
                return false;
            }
            shapes.erase(shapes.begin() + static_cast<std::ptrdiff_t>(index));
        }
        for (size_t k = 0; k < removed.size(); ++k) {
            if ((k > 0 && removed[k].index <= removed[k - 1].index) || removed[k].index > shapes.size()) {
                return false;
            }
            shapes.insert(shapes.begin() + static_cast<std::ptrdiff_t>(removed[k].index), removed[k].shape);
        }
        return true;
    };
    return !edit.empty() && apply(figure.points, edit.pointsRemoved, edit.pointsAdded, edit.pointsChanged) &&
           apply(figure.lines, edit.linesRemoved, edit.linesAdded, edit.linesChanged);
}

// A random edit that fits shapes: some taken out, some put in, some of
// those there then changed.
template <class Shape, class Below, class RandomShape>
void randomShapeEdit(std::vector<Shape> shapes, std::vector<ShapeAt<Shape>>& removed,
                     std::vector<ShapeAt<Shape>>& added, std::vector<ShapeChange<Shape>>& changed,
                     Below below, RandomShape randomShape) {
    std::vector<Shape> kept;
    for (size_t k = 0; k < shapes.size(); ++k) {
        if (below(3) == 0) {
            removed.push_back({k, shapes[k]});
        } else {
            kept.push_back(shapes[k]);
        }
    }
    // The places of those put in: any of the places in the figure after it.
    std::vector<size_t> places(kept.size() + below(4));
    std::iota(places.begin(), places.end(), size_t{0});
    for (size_t k = places.size(); k > 1; --k) {
        std::swap(places[k - 1], places[below(k)]);
    }
    places.resize(places.size() - kept.size());
    std::sort(places.begin(), places.end());
    for (size_t place : places) {
        added.push_back({place, randomShape()});
    }
    for (const ShapeAt<Shape>& at : added) {
        kept.insert(kept.begin() + static_cast<std::ptrdiff_t>(at.index), at.shape);
    }
    for (size_t k = 0; k < kept.size(); ++k) {
        if (below(3) == 0) {
            changed.push_back({k, kept[k], randomShape()});
        }
    }
}

// Random edits that fit, each then changed a little, against the step-by-step
// redo and undo: editFits and undoFits say yes exactly when every step checks
// out, on the figure before the edit and the figure after it.
TEST(Journal, EditFitsAndUndoFitsAgreeWithTheStepByStepRedoAndUndo) {
    std::mt19937 random(7);
    auto below = [&random](size_t n) { return static_cast<size_t>(random() % n); };
    // Few coordinates, so that shapes repeat and a changed one may still match.
    auto randomPoint = [&below] {
        return Point{static_cast<int32_t>(below(3)), static_cast<int32_t>(below(2))};
    };
    auto randomLine = [&randomPoint] { return Line{randomPoint(), randomPoint()}; };
    int fitting = 0;
    int undoing = 0;
    for (int round = 0; round < 5000; ++round) {
        Figure figure;
        figure.points.resize(below(7));
        figure.lines.resize(below(7));
        std::generate(figure.points.begin(), figure.points.end(), randomPoint);
        std::generate(figure.lines.begin(), figure.lines.end(), randomLine);
        FigureEdit edit;
        randomShapeEdit(figure.points, edit.pointsRemoved, edit.pointsAdded, edit.pointsChanged, below,
                        randomPoint);
        randomShapeEdit(figure.lines, edit.linesRemoved, edit.linesAdded, edit.linesChanged, below,
                        randomLine);
        Figure after = figure;
        redoEdit(after, edit);
        ASSERT_EQ(!edit.empty(), editFits(figure, edit)) << "round " << round;
        ASSERT_EQ(!edit.empty(), fitsStepByStep(figure, edit)) << "round " << round;
        ASSERT_EQ(!edit.empty(), undoFits(after, edit)) << "round " << round;
        ASSERT_EQ(!edit.empty(), undoesStepByStep(after, edit)) << "round " << round;

        // One index or one coordinate of a shape taken out, put in or changed
        // moved by one, up or down; or two entries swapped.
        const int32_t delta = below(2) ? 1 : -1;
        auto nudge = [&](auto& list) {
            if (list.empty()) {
                return;
            }
            auto& entry = list[below(list.size())];
            switch (below(3)) {
                case 0:
                    entry.index += static_cast<size_t>(delta);
                    break;
                case 1: {
                    Point& point = firstPointOf(shapeOf(entry, below(2) == 0));
                    (below(2) ? point.x : point.y) += delta;
                    break;
                }
                default:
                    std::swap(entry, list[below(list.size())]);
            }
        };
        switch (below(6)) {
            case 0:
                nudge(edit.pointsRemoved);
                break;
            case 1:
                nudge(edit.linesRemoved);
                break;
            case 2:
                nudge(edit.pointsAdded);
                break;
            case 3:
                nudge(edit.linesAdded);
                break;
            case 4:
                nudge(edit.pointsChanged);
                break;
            default:
                nudge(edit.linesChanged);
        }
        const bool fits = editFits(figure, edit);
        const bool undoes = undoFits(after, edit);
        ASSERT_EQ(fitsStepByStep(figure, edit), fits) << "round " << round;
        ASSERT_EQ(undoesStepByStep(after, edit), undoes) << "round " << round;
        fitting += fits;
        undoing += undoes;
    }
    // Both answers come often enough to mean something.
    EXPECT_GT(fitting, 500);
    EXPECT_LT(fitting, 4500);
    EXPECT_GT(undoing, 500);
    EXPECT_LT(undoing, 4500);
}

}  // namespace

}  // namespace figury
