#pragma once

#include <cstddef>
#include <cstdint>

// Reading the figure file's text. Lines are taken as the Windows C runtime's
// text mode delivers them, on every platform, so a file reads the same
// everywhere: CR LF is one line end, a lone CR is an ordinary character, and
// a Ctrl-Z byte ends the file (the caller cuts the text there).

// The data lines of a text held whole in memory. The byte at `end` must be a
// NUL, which stops scanning at the end of the last line.
struct LineReader {
    const char* next;  // first byte not read yet
    const char* end;
    const char* line;  // text of the last line read; "" before the first
};

LineReader makeLineReader(const char* begin, const char* end);

// Reads the next line that is neither a comment ("/" in the first column) nor
// empty. At the end of the text nothing more is read and `line` keeps the text
// it held, so the caller scans that text again.
void readDataLine(LineReader& reader);

// Bytes after the last line read; no record can stand beyond them.
size_t bytesLeft(const LineReader& reader);

// Scans a line with "WORD %d" (the word at the very start of the line), as
// formatted input does. Returns the number of values stored (0 or 1).
int scanHeader(const char* line, const char* word, int32_t& count);

// Scans a line with "%d %d". A value that does not scan, a number outside the
// 32-bit range included, ends the scan; the values before it stand and the
// ones after it are left as they were. Returns the number of values stored.
int scanPair(const char* line, int32_t& first, int32_t& second);
