#pragma once

// What must hold for every journal, whatever bytes it holds: shared by the
// journal's fuzzer and by the test that replays its corpus. journalFault
// returns "" when the journal keeps every promise, else the fault.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "editor/figure_document.h"
#include "editor/session_journal.h"
#include "figure/figure.h"
#include "figure/bytes_hash.h"
#include "figure/figure_file.h"
#include "figure/journal.h"
#include "tests/support/memory_journal_file.h"

namespace figury {

namespace journal_checks {

using testing_support::MemoryJournalFile;

inline uint64_t numberAt(const std::vector<char>& bytes, size_t at, int size) {
    uint64_t value = 0;
    for (int k = size - 1; k >= 0; --k) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<size_t>(k)]);
    }
    return value;
}

inline void setNumberAt(std::vector<char>& bytes, size_t at, int size, uint64_t value) {
    for (int k = 0; k < size; ++k, value >>= 8) {
        bytes[at + static_cast<size_t>(k)] = static_cast<char>(value & 0xFF);
    }
}

// Makes the bytes a journal as a writer leaves it, as far as its seals go:
// the magic, the version and a known origin, a base size and record sizes
// that fit, and every hash and checksum sound. What the records hold stays
// as it was, so that the reader meets any content behind a sound seal.
inline void seal(std::vector<char>& bytes) {
    if (bytes.size() < journalHeaderSize) {
        return;
    }
    std::memcpy(bytes.data(), "FIGJOURN", 8);
    setNumberAt(bytes, 8, 4, 1);
    setNumberAt(bytes, 12, 4, numberAt(bytes, 12, 4) & 1);
    const uint64_t baseSize = numberAt(bytes, 24, 8) % (bytes.size() - journalHeaderSize + 1);
    setNumberAt(bytes, 24, 8, baseSize);
    setNumberAt(bytes, 32, 8, bytesHash(bytes.data() + journalHeaderSize, static_cast<size_t>(baseSize)));
    setNumberAt(bytes, 40, 4, journalChecksum(0, bytes.data(), journalHeaderSize - 4));
    const uint32_t sessionCrc = journalChecksum(0, bytes.data() + 16, 8);
    for (size_t at = journalHeaderSize + static_cast<size_t>(baseSize); bytes.size() - at >= 12;) {
        const size_t payload = static_cast<size_t>(numberAt(bytes, at, 8) % (bytes.size() - at - 12 + 1));
        setNumberAt(bytes, at, 8, payload);
        const uint32_t crc = journalChecksum(journalChecksum(sessionCrc, bytes.data() + at, 8),
                                             bytes.data() + at + 12, payload);
        setNumberAt(bytes, at + 8, 4, crc);
        at += 12 + payload;
    }
}

// The journal written again from what was read: its header, its base, the
// records of the first count steps.
inline std::vector<char> writtenAgain(const JournalContents& contents, size_t count) {
    const JournalHeader& header = contents.header;
    std::vector<char> bytes =
        encodeJournalHeader(contents.base.size(), bytesHash(contents.base.data(), contents.base.size()),
                            header.origin, header.session);
    bytes.insert(bytes.end(), contents.base.begin(), contents.base.end());
    for (size_t k = 0; k < count; ++k) {
        const JournalStep& step = contents.steps[k];
        encodeJournalStep(bytes, header.session, step.kind, step.editKind, step.edit);
    }
    return bytes;
}

// Whether the first count steps undo or redo a step the journal's own
// history cannot hold: one made before its base.
inline bool reachesBeforeBase(const JournalContents& contents, size_t count) {
    size_t undoable = 0;
    size_t redoable = 0;
    for (size_t k = 0; k < count; ++k) {
        const JournalStepKind kind = contents.steps[k].kind;
        if (kind == JournalStepKind::edit) {
            ++undoable;
            redoable = 0;
            continue;
        }
        size_t& from = kind == JournalStepKind::undo ? undoable : redoable;
        size_t& to = kind == JournalStepKind::undo ? redoable : undoable;
        if (from == 0) {
            return true;
        }
        --from;
        ++to;
    }
    return false;
}

// The replay's own checks: the document it recovers journals the steps it
// took as the bytes read, and its history leads forward again to the figure
// recovered, and back to the base unless a step came from before it.
inline std::string replayFault(const std::vector<char>& bytes, const JournalContents& contents) {
    Figure base;
    loadFigureFromBytes(base, contents.base.data(), contents.base.size());
    // A short file's last record repeated can make millions of points (the
    // loader's fuzzer checks those); each step here costs the whole figure.
    if (base.points.size() + base.lines.size() > (size_t{1} << 14)) {
        return "";
    }
    MemoryJournalFile file;
    SessionJournal journal(file);
    journal.start(contents.base, contents.header.origin, contents.header.session);
    FigureDocument document;
    document.setStepListener(journal.listener());
    const size_t replayed = replayJournal(contents, document);
    document.setStepListener(nullptr);
    if (replayed > contents.steps.size()) {
        return "the replay took more steps than the journal holds";
    }
    const auto through = static_cast<std::ptrdiff_t>(contents.sizeThrough(replayed));
    if (file.bytes != std::vector<char>(bytes.begin(), bytes.begin() + through)) {
        return "the replay journalled other steps than it took";
    }
    const Figure recovered = document.figure();
    const size_t redoable = document.redoSteps();
    while (document.undo()) {
    }
    if (!reachesBeforeBase(contents, replayed) && document.figure() != base) {
        return "every step undone, the figure is not the base";
    }
    while (document.redo()) {
    }
    for (size_t k = 0; k < redoable; ++k) {
        document.undo();
    }
    if (document.figure() != recovered) {
        return "the history does not lead back to the figure recovered";
    }
    return "";
}

inline std::string journalFault(const std::vector<char>& bytes) {
    const JournalContents contents = readJournal(bytes.data(), bytes.size());
    if (!contents.readable()) {
        return contents.steps.empty() ? "" : "an unreadable journal gave steps";
    }
    const uint64_t sound = contents.sizeThrough(contents.steps.size());
    if (sound > bytes.size() || contents.tailDropped != (sound < bytes.size())) {
        return "the sound records and the tail dropped do not make the journal";
    }
    if (writtenAgain(contents, contents.steps.size()) !=
        std::vector<char>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(sound))) {
        return "written again, the journal is not the bytes read";
    }
    return replayFault(bytes, contents);
}

// An input of the fuzzer's as the journal it stands for: its first byte says
// whether the rest is sealed first.
inline std::vector<char> journalOfInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return {};
    }
    std::vector<char> bytes(data + 1, data + size);
    if (data[0] & 1) {
        seal(bytes);
    }
    return bytes;
}

}  // namespace journal_checks

}  // namespace figury
