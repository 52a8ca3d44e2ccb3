#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace figury {

// Reading the figure file's text, the same on every platform: LF, CR LF and a
// lone CR (the line end of classic Mac OS) each end a line, and a Ctrl-Z byte
// ends the file, as the Windows C runtime's text mode has it.

// Where the text comes from: fills `into` with up to `size` bytes and returns
// how many it gave; fewer than asked means the text has ended (or could not
// be read further, which the caller learns from the source itself).
using ReadText = size_t (*)(void* source, char* into, size_t size);

// The data lines of a text read in chunks: only the line being handed out
// (and what follows it in the current chunk) is held, however long the text.
class LineReader {
public:
    // chunkSize is the first buffer's size; tests make it small to put the
    // chunk ends everywhere.
    LineReader(ReadText read, void* source, size_t chunkSize = size_t{1} << 18);

    // Reads the next line that is neither a comment ("/" in the first column)
    // nor empty, and returns true. At the end of the text nothing more is read,
    // `line` keeps the last data line (so the caller scans it again) and the
    // result is false; a comment or empty line read last would scan to nothing
    // and leave the same values. A UTF-8 byte-order mark at the very start is
    // skipped: Notepad writes one.
    bool readDataLine();

    // Text of the last data line, ended by "\n" (a lone CR reads as one), by
    // "\r\n" or by a NUL; "" before the first. Valid until the next readDataLine.
    const char* line() const { return line_; }

    // Bytes of the text read past, up to the end of the last data line.
    uint64_t consumed() const { return dropped_ + static_cast<uint64_t>(next_ - buffer_.data()); }

private:
    // Reads more of the text behind the bytes from `keep` on, which move to
    // the front; false when the text has ended.
    bool refill(const char* keep);
    void readChunk(const char* keep);
    const char* findLineEnd(const char* from);

    ReadText read_;
    void* source_;
    std::vector<char> buffer_;    // one byte more than the chunk it reads into, for the NUL
    const char* next_ = nullptr;  // first byte not read yet
    const char* end_ = nullptr;   // end of the bytes held
    uint64_t dropped_ = 0;        // bytes of the text before buffer_
    bool ended_ = false;          // no more bytes will come
    bool crHeld_ = false;         // a CR read last, not yet shown, follows end_
    bool started_ = false;
    const char* line_ = "";
    bool lineInBuffer_ = false;
    std::string held_;  // the last data line, once its bytes had to make room
};

// A text held whole in memory, as a source for LineReader.
struct TextInMemory {
    const char* next;
    const char* end;
};
size_t readTextInMemory(void* text, char* into, size_t size);

// Scans a line with "WORD %d" (the word at the very start of the line), as
// formatted input does. Returns the number of values stored (0 or 1).
int scanHeader(const char* line, const char* word, int32_t& count);

// Scans a line with "%d %d". A value that does not scan, a number outside the
// 32-bit range included, ends the scan; the values before it stand and the
// ones after it are left as they were. Returns the number of values stored.
int scanPair(const char* line, int32_t& first, int32_t& second);

}  // namespace figury
