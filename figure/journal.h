#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "figure/figure.h"
#include "figure/figure_edit.h"
#include "figure/file_stamp.h"

namespace figury {

// The journal of an editing session: the figure the session started from,
// then one record for each step taken since, appended as it is taken. After a
// crash it gives back the figure and its history exactly.
//
// The file, every number little-endian:
//   header  "FIGJOURN", u32 version, u32 origin, u64 session, u64 base size,
//           u64 base hash, u32 CRC-32 of the header's bytes before it
//   base    the bytes of the figure file the session started from
//   records u64 payload size, u32 CRC-32 of the session, the size and the
//           payload, then the payload:
//             u8 step (1 edit, 2 undo, 3 redo), u8 kind of edit, then the
//             edit made, undone or redone: its six lists in FigureEdit's
//             order, each a u64 count and its entries: u64 index, then the
//             shapes as i32 coordinates (a change: before, then after)
// The header and the base are written once, as one block, before any record.
// A record is one append: a crash while writing it leaves a record whose
// checksum fails, and the reader drops it with everything after it. Records
// carry their session, so those of an older journal left behind in the file
// are never taken for this one's. An undo or a redo carries its edit: after a
// save the journal starts from the figure saved, and the history may still
// take a step made before it.

constexpr size_t journalHeaderSize = 44;

// Where the base, the session's starting figure, came from.
enum class JournalBaseOrigin : uint32_t {
    figureFile = 0,  // the figure file's bytes, as the session read or wrote them
    noFile = 1,      // no file could be read: the writer's text of the figure it started with
};

enum class JournalStepKind : uint8_t { edit = 1, undo = 2, redo = 3 };

struct JournalHeader {
    JournalBaseOrigin origin = JournalBaseOrigin::figureFile;
    uint64_t session = 0;  // tells this journal's records from any other's
    uint64_t baseSize = 0;
    uint64_t baseHash = 0;  // bytesHash of the base
};

struct JournalStep {
    JournalStepKind kind = JournalStepKind::edit;
    uint8_t editKind = 0;  // the editor's kind of the edit made, undone or redone
    FigureEdit edit;       // what that edit changed
    uint64_t end = 0;      // where its record ends: the journal's size up to this step
};

// Why a journal cannot be read at all.
enum class JournalProblem {
    none,
    shortHeader,     // the file ends inside the header
    foreign,         // the file is not a journal
    damagedHeader,   // the header's checksum fails
    unknownVersion,  // written by a later version of the program
    shortBase,       // the file ends inside the base
    damagedBase,     // the base's hash fails
};

struct JournalContents {
    JournalProblem problem = JournalProblem::shortHeader;
    JournalHeader header;
    std::vector<char> base;
    // The steps of the longest run of sound records after the base.
    std::vector<JournalStep> steps;
    // Bytes followed the last sound record: a record torn by a crash, a
    // damaged one, or one of another session; none of it was taken.
    bool tailDropped = false;

    bool readable() const { return problem == JournalProblem::none; }
    // The journal's size up to and including the first count steps: where a
    // journal that goes on after them must be cut.
    uint64_t sizeThrough(size_t count) const {
        return count == 0 ? journalHeaderSize + header.baseSize : steps[count - 1].end;
    }
};

// CRC-32 (the polynomial of zip and PNG) of bytes, going on from crc, which
// is 0 for the first bytes.
uint32_t journalChecksum(uint32_t crc, const char* bytes, size_t size);

// A session number unlikely to be any other journal's.
uint64_t newJournalSession();

// The header of a journal whose base is baseSize bytes of bytesHash
// baseHash; the base follows it.
std::vector<char> encodeJournalHeader(uint64_t baseSize, uint64_t baseHash, JournalBaseOrigin origin,
                                      uint64_t session);

// Appends to out the record of a step: an edit of the given kind made,
// undone or redone.
void encodeJournalStep(std::vector<char>& out, uint64_t session, JournalStepKind step, uint8_t editKind,
                       const FigureEdit& edit);

// Reads a journal held whole in memory. Any bytes may come: nothing is
// allocated beyond what they hold.
JournalContents readJournal(const char* bytes, size_t size);
// The same with the bytes given over: the base is made of them rather than
// copied, tens of megabytes for a large figure.
JournalContents readJournal(std::vector<char>&& bytes);

// Whether the figure file, as its stamp tells, still holds the journal's
// base: when it does not, another program changed the file after the
// session started.
bool fileHoldsJournalBase(const JournalHeader& header, const FileStamp& file);

// Whether edit, read from a journal, does to figure exactly what it recorded:
// it changes something; each list is in ascending order of index; what it
// takes out and what it changes is there as it says; every index lies within
// the figure as it is at that point of the edit. An edit that fits is done and
// undone by redoEdit and undoEdit exactly.
bool editFits(const Figure& figure, const FigureEdit& edit);

// The same for undoing the edit on the figure after it: what it put in and
// what it changed is there as it says, and what it took out goes back within
// the figure. An edit that fits so is undone and done again exactly.
bool undoFits(const Figure& figure, const FigureEdit& edit);

}  // namespace figury
