#include "figure/journal.h"

#include "figure/bytes_hash.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <random>
#include <utility>

namespace figury {

namespace {

constexpr char magic[8] = {'F', 'I', 'G', 'J', 'O', 'U', 'R', 'N'};
constexpr uint32_t version = 1;
constexpr size_t recordPrefixSize = 12;  // payload size and checksum
constexpr size_t listsSize = 6 * 8;      // the six lists' counts

// The bytes of each list's entries: an index and the shapes' coordinates.
constexpr size_t pointAtSize = 8 + 8;
constexpr size_t lineAtSize = 8 + 16;
constexpr size_t pointChangeSize = 8 + 2 * 8;
constexpr size_t lineChangeSize = 8 + 2 * 16;

constexpr std::array<uint32_t, 256> crcTable = [] {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int bit = 0; bit < 8; ++bit) {
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        table[n] = c;
    }
    return table;
}();

// Writes little-endian numbers into bytes reserved for them beforehand.
class ByteWriter {
public:
    explicit ByteWriter(char* at) : at_(at) {}

    void u8(uint8_t value) { *at_++ = static_cast<char>(value); }
    void u32(uint32_t value) {
        for (int k = 0; k < 4; ++k, value >>= 8) {
            *at_++ = static_cast<char>(value & 0xFF);
        }
    }
    void u64(uint64_t value) {
        for (int k = 0; k < 8; ++k, value >>= 8) {
            *at_++ = static_cast<char>(value & 0xFF);
        }
    }
    void shape(Point point) {
        u32(static_cast<uint32_t>(point.x));
        u32(static_cast<uint32_t>(point.y));
    }
    void shape(const Line& line) {
        shape(line.first);
        shape(line.second);
    }
    template <class Shape>
    void entry(const ShapeAt<Shape>& at) {
        u64(at.index);
        shape(at.shape);
    }
    template <class Shape>
    void entry(const ShapeChange<Shape>& change) {
        u64(change.index);
        shape(change.before);
        shape(change.after);
    }
    template <class Entry>
    void list(const std::vector<Entry>& entries) {
        u64(entries.size());
        for (const Entry& item : entries) {
            entry(item);
        }
    }

private:
    char* at_;
};

// Reads little-endian numbers; past the end it reads zeros and remembers
// that it failed.
class ByteReader {
public:
    ByteReader(const char* at, size_t size) : at_(at), end_(at + size) {}

    bool failed() const { return failed_; }
    size_t left() const { return static_cast<size_t>(end_ - at_); }
    bool atEnd() const { return !failed_ && at_ == end_; }

    uint64_t number(int bytes) {
        if (left() < static_cast<size_t>(bytes)) {
            failed_ = true;
            at_ = end_;
            return 0;
        }
        uint64_t value = 0;
        for (int k = bytes - 1; k >= 0; --k) {
            value = (value << 8) | static_cast<unsigned char>(at_[k]);
        }
        at_ += bytes;
        return value;
    }
    uint8_t u8() { return static_cast<uint8_t>(number(1)); }
    uint32_t u32() { return static_cast<uint32_t>(number(4)); }
    uint64_t u64() { return number(8); }
    void shape(Point& point) {
        point.x = static_cast<int32_t>(u32());
        point.y = static_cast<int32_t>(u32());
    }
    void shape(Line& line) {
        shape(line.first);
        shape(line.second);
    }
    template <class Shape>
    void entry(ShapeAt<Shape>& at) {
        at.index = static_cast<size_t>(u64());
        shape(at.shape);
    }
    template <class Shape>
    void entry(ShapeChange<Shape>& change) {
        change.index = static_cast<size_t>(u64());
        shape(change.before);
        shape(change.after);
    }
    // A count larger than the entries the bytes left could hold fails
    // before anything is allocated for it.
    template <class Entry>
    void list(std::vector<Entry>& entries, size_t entrySize) {
        const uint64_t count = u64();
        if (failed_ || count > left() / entrySize) {
            failed_ = true;
            return;
        }
        entries.resize(static_cast<size_t>(count));
        for (Entry& item : entries) {
            entry(item);
        }
    }

private:
    const char* at_;
    const char* end_;
    bool failed_ = false;
};

// The checksum of a record: its session, its payload size and its payload,
// which stand on either side of the checksum itself.
uint32_t recordChecksum(uint64_t session, const char* record, size_t payloadSize) {
    char sessionBytes[8];
    ByteWriter(sessionBytes).u64(session);
    const uint32_t crc = journalChecksum(journalChecksum(0, sessionBytes, 8), record, 8);
    return journalChecksum(crc, record + recordPrefixSize, payloadSize);
}

// Makes room for a record of payloadSize at the end of out and fills in its
// prefix once the payload is written.
template <class WritePayload>
void appendRecord(std::vector<char>& out, uint64_t session, size_t payloadSize, WritePayload writePayload) {
    const size_t start = out.size();
    out.resize(start + recordPrefixSize + payloadSize);
    char* record = out.data() + start;
    ByteWriter(record).u64(payloadSize);
    writePayload(ByteWriter(record + recordPrefixSize));
    ByteWriter(record + 8).u32(recordChecksum(session, record, payloadSize));
}

bool readPayload(ByteReader& in, JournalStep& step) {
    const uint8_t kind = in.u8();
    if (kind < static_cast<uint8_t>(JournalStepKind::edit) ||
        kind > static_cast<uint8_t>(JournalStepKind::redo)) {
        return false;
    }
    step.kind = static_cast<JournalStepKind>(kind);
    step.editKind = in.u8();
    FigureEdit& edit = step.edit;
    in.list(edit.pointsRemoved, pointAtSize);
    in.list(edit.linesRemoved, lineAtSize);
    in.list(edit.pointsAdded, pointAtSize);
    in.list(edit.linesAdded, lineAtSize);
    in.list(edit.pointsChanged, pointChangeSize);
    in.list(edit.linesChanged, lineChangeSize);
    return in.atEnd();
}

// The record at the start of bytes, if it is whole, sound and of this
// session; its size goes to recordSize.
bool readRecord(const char* bytes, size_t size, uint64_t session, JournalStep& step, size_t& recordSize) {
    if (size < recordPrefixSize) {
        return false;
    }
    ByteReader prefix(bytes, recordPrefixSize);
    const uint64_t payloadSize = prefix.u64();
    const uint32_t crc = prefix.u32();
    if (payloadSize > size - recordPrefixSize) {
        return false;
    }
    recordSize = recordPrefixSize + static_cast<size_t>(payloadSize);
    if (recordChecksum(session, bytes, static_cast<size_t>(payloadSize)) != crc) {
        return false;
    }
    ByteReader payload(bytes + recordPrefixSize, static_cast<size_t>(payloadSize));
    return readPayload(payload, step);
}

JournalProblem readHeader(const char* bytes, size_t size, JournalHeader& header) {
    if (size == 0) {
        return JournalProblem::shortHeader;
    }
    if (std::memcmp(bytes, magic, std::min(size, sizeof magic)) != 0) {
        return JournalProblem::foreign;
    }
    if (size < journalHeaderSize) {
        return JournalProblem::shortHeader;
    }
    ByteReader in(bytes + sizeof magic, journalHeaderSize - sizeof magic);
    const uint32_t headerVersion = in.u32();
    const uint32_t origin = in.u32();
    header.session = in.u64();
    header.baseSize = in.u64();
    header.baseHash = in.u64();
    if (in.u32() != journalChecksum(0, bytes, journalHeaderSize - 4)) {
        return JournalProblem::damagedHeader;
    }
    if (headerVersion != version || origin > static_cast<uint32_t>(JournalBaseOrigin::noFile)) {
        return JournalProblem::unknownVersion;
    }
    header.origin = static_cast<JournalBaseOrigin>(origin);
    if (header.baseSize > size - journalHeaderSize) {
        return JournalProblem::shortBase;
    }
    if (bytesHash(bytes + journalHeaderSize, static_cast<size_t>(header.baseSize)) != header.baseHash) {
        return JournalProblem::damagedBase;
    }
    return JournalProblem::none;
}

template <class Entry>
bool ascending(const std::vector<Entry>& entries) {
    return std::adjacent_find(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
               return a.index >= b.index;
           }) == entries.end();
}

template <class Shape>
bool removalsFit(const std::vector<Shape>& shapes, const std::vector<ShapeAt<Shape>>& removed) {
    return ascending(removed) &&
           std::all_of(removed.begin(), removed.end(), [&shapes](const ShapeAt<Shape>& at) {
               return at.index < shapes.size() && shapes[at.index] == at.shape;
           });
}

// The shape at index after the removals and the additions, before the changes.
template <class Shape>
const Shape& shapeBeforeChanges(const std::vector<Shape>& shapes, const std::vector<ShapeAt<Shape>>& removed,
                                const std::vector<ShapeAt<Shape>>& added, size_t index) {
    const auto addedFrom = std::partition_point(
        added.begin(), added.end(), [index](const ShapeAt<Shape>& at) { return at.index < index; });
    if (addedFrom != added.end() && addedFrom->index == index) {
        return addedFrom->shape;
    }
    // The kept shape at index kept stood at kept + (the removals before it):
    // removal k stood before it when removed[k].index - k <= kept.
    const size_t kept = index - static_cast<size_t>(addedFrom - added.begin());
    size_t before = 0;
    size_t after = removed.size();
    while (before < after) {
        const size_t middle = before + (after - before) / 2;
        if (removed[middle].index - middle <= kept) {
            before = middle + 1;
        } else {
            after = middle;
        }
    }
    return shapes[kept + before];
}

template <class Shape>
bool shapesFit(const std::vector<Shape>& shapes, const std::vector<ShapeAt<Shape>>& removed,
               const std::vector<ShapeAt<Shape>>& added, const std::vector<ShapeChange<Shape>>& changed) {
    if (!removalsFit(shapes, removed) || !ascending(added) || !ascending(changed)) {
        return false;
    }
    const size_t finalSize = shapes.size() - removed.size() + added.size();
    if (!added.empty() && added.back().index >= finalSize) {
        return false;
    }
    return changed.empty() ||
           (changed.back().index < finalSize &&
            std::all_of(changed.begin(), changed.end(), [&](const ShapeChange<Shape>& change) {
                return shapeBeforeChanges(shapes, removed, added, change.index) == change.before;
            }));
}

// Whether undoing the edit's part for these shapes fits them as they are
// after it: the changes are there as changed, what was put in is there once
// the changes are undone, and what was taken out goes back within the end.
template <class Shape>
bool shapesUndoFit(const std::vector<Shape>& shapes, const std::vector<ShapeAt<Shape>>& removed,
                   const std::vector<ShapeAt<Shape>>& added, const std::vector<ShapeChange<Shape>>& changed) {
    if (!ascending(removed) || !ascending(added) || !ascending(changed)) {
        return false;
    }
    if ((!changed.empty() && changed.back().index >= shapes.size()) ||
        (!added.empty() && added.back().index >= shapes.size())) {
        return false;
    }
    const bool changesThere = std::all_of(
        changed.begin(), changed.end(),
        [&shapes](const ShapeChange<Shape>& change) { return shapes[change.index] == change.after; });
    const bool addedThere = std::all_of(added.begin(), added.end(), [&](const ShapeAt<Shape>& at) {
        const auto change =
            std::partition_point(changed.begin(), changed.end(),
                                 [&at](const ShapeChange<Shape>& c) { return c.index < at.index; });
        const Shape& there =
            change != changed.end() && change->index == at.index ? change->before : shapes[at.index];
        return there == at.shape;
    });
    const size_t sizeBefore = shapes.size() - added.size() + removed.size();
    return changesThere && addedThere && (removed.empty() || removed.back().index < sizeBefore);
}

}  // namespace

uint32_t journalChecksum(uint32_t crc, const char* bytes, size_t size) {
    crc = ~crc;
    for (size_t k = 0; k < size; ++k) {
        crc = crcTable[(crc ^ static_cast<unsigned char>(bytes[k])) & 0xFF] ^ (crc >> 8);
    }
    return ~crc;
}

uint64_t newJournalSession() {
    std::random_device entropy;
    const auto now = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return mixBits((uint64_t{entropy()} << 32) ^ entropy() ^ now);
}

std::vector<char> encodeJournalHeader(uint64_t baseSize, uint64_t baseHash, JournalBaseOrigin origin,
                                      uint64_t session) {
    std::vector<char> header(journalHeaderSize);
    ByteWriter out(header.data());
    for (char c : magic) {
        out.u8(static_cast<uint8_t>(c));
    }
    out.u32(version);
    out.u32(static_cast<uint32_t>(origin));
    out.u64(session);
    out.u64(baseSize);
    out.u64(baseHash);
    out.u32(journalChecksum(0, header.data(), journalHeaderSize - 4));
    return header;
}

void encodeJournalStep(std::vector<char>& out, uint64_t session, JournalStepKind step, uint8_t editKind,
                       const FigureEdit& edit) {
    const size_t payloadSize =
        2 + listsSize + pointAtSize * (edit.pointsRemoved.size() + edit.pointsAdded.size()) +
        lineAtSize * (edit.linesRemoved.size() + edit.linesAdded.size()) +
        pointChangeSize * edit.pointsChanged.size() + lineChangeSize * edit.linesChanged.size();
    appendRecord(out, session, payloadSize, [&](ByteWriter payload) {
        payload.u8(static_cast<uint8_t>(step));
        payload.u8(editKind);
        payload.list(edit.pointsRemoved);
        payload.list(edit.linesRemoved);
        payload.list(edit.pointsAdded);
        payload.list(edit.linesAdded);
        payload.list(edit.pointsChanged);
        payload.list(edit.linesChanged);
    });
}

namespace {

// All but the base's bytes, which the caller takes.
JournalContents readAllButBase(const char* bytes, size_t size) {
    JournalContents contents;
    contents.problem = readHeader(bytes, size, contents.header);
    if (!contents.readable()) {
        return contents;
    }
    size_t at = journalHeaderSize + static_cast<size_t>(contents.header.baseSize);
    while (at < size) {
        JournalStep step;
        size_t recordSize = 0;
        if (!readRecord(bytes + at, size - at, contents.header.session, step, recordSize)) {
            contents.tailDropped = true;
            break;
        }
        at += recordSize;
        step.end = at;
        contents.steps.push_back(std::move(step));
    }
    return contents;
}

}  // namespace

JournalContents readJournal(const char* bytes, size_t size) {
    JournalContents contents = readAllButBase(bytes, size);
    if (contents.readable()) {
        contents.base.assign(bytes + journalHeaderSize,
                             bytes + journalHeaderSize + static_cast<size_t>(contents.header.baseSize));
    }
    return contents;
}

JournalContents readJournal(std::vector<char>&& bytes) {
    JournalContents contents = readAllButBase(bytes.data(), bytes.size());
    if (contents.readable()) {
        bytes.erase(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(journalHeaderSize));
        bytes.resize(static_cast<size_t>(contents.header.baseSize));
        contents.base = std::move(bytes);
    }
    return contents;
}

bool fileHoldsJournalBase(const JournalHeader& header, const FileStamp& file) {
    if (header.origin == JournalBaseOrigin::noFile) {
        return !file.read;
    }
    return file.read && file.size == header.baseSize && file.hash == header.baseHash;
}

bool editFits(const Figure& figure, const FigureEdit& edit) {
    return !edit.empty() &&
           shapesFit(figure.points, edit.pointsRemoved, edit.pointsAdded, edit.pointsChanged) &&
           shapesFit(figure.lines, edit.linesRemoved, edit.linesAdded, edit.linesChanged);
}

bool undoFits(const Figure& figure, const FigureEdit& edit) {
    return !edit.empty() &&
           shapesUndoFit(figure.points, edit.pointsRemoved, edit.pointsAdded, edit.pointsChanged) &&
           shapesUndoFit(figure.lines, edit.linesRemoved, edit.linesAdded, edit.linesChanged);
}

}  // namespace figury
