#include "figure/figure_text.h"

#include <charconv>
#include <cstring>
#include <system_error>

namespace {

bool isDigit(char c) {
    return static_cast<unsigned char>(c - '0') < 10;
}

// White space of formatted input, less the line end: the line end is the last
// character of a line, so formatted input never sees anything past it.
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// "%d": white space, an optional sign and at least one digit. A number
// outside the 32-bit range does not scan; its digits are still consumed.
// Returns where the scan stopped, or nullptr when nothing was scanned.
const char* scanNumber(const char* p, int32_t& value) {
    while (isBlank(*p)) {
        ++p;
    }
    // from_chars takes a minus sign but no plus sign.
    if (*p == '+' && isDigit(p[1])) {
        ++p;
    }
    const char* digitsEnd = p + (*p == '-');
    while (isDigit(*digitsEnd)) {
        ++digitsEnd;
    }
    const auto [end, error] = std::from_chars(p, digitsEnd, value);
    return error == std::errc() ? end : nullptr;
}

}  // namespace

LineReader makeLineReader(const char* begin, const char* end) {
    return LineReader{begin, end, ""};
}

void readDataLine(LineReader& reader) {
    while (reader.next != reader.end) {
        const char* line = reader.next;
        const void* lineEnd = std::memchr(line, '\n', static_cast<size_t>(reader.end - line));
        reader.next = lineEnd ? static_cast<const char*>(lineEnd) + 1 : reader.end;
        reader.line = line;
        // CR LF reads as "\n", so "\r\n" is an empty line while "\r\r\n" is not.
        const bool empty = line[0] == '\n' || (line[0] == '\r' && line[1] == '\n');
        if (line[0] != '/' && !empty) {
            return;
        }
    }
}

size_t bytesLeft(const LineReader& reader) {
    return static_cast<size_t>(reader.end - reader.next);
}

int scanHeader(const char* line, const char* word, int32_t& count) {
    for (; *word != '\0'; ++word, ++line) {
        if (*line != *word) {
            return 0;
        }
    }
    int32_t value = 0;
    if (!scanNumber(line, value)) {
        return 0;
    }
    count = value;
    return 1;
}

int scanPair(const char* line, int32_t& first, int32_t& second) {
    int32_t value = 0;
    const char* p = scanNumber(line, value);
    if (!p) {
        return 0;
    }
    first = value;
    if (!scanNumber(p, value)) {
        return 1;
    }
    second = value;
    return 2;
}
