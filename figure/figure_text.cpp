#include "figure/figure_text.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <system_error>
#include <utility>

namespace figury {

namespace {

bool isDigit(char c) {
    return static_cast<unsigned char>(c - '0') < 10;
}

// White space of formatted input, less the line ends: a line end is the last
// character of a line (CR that of CR LF), so formatted input never sees
// anything past it.
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

// Turns each CR in [from, to) that no LF follows into the line end it is,
// "\n"; `to` is the end of the text or holds a byte other than LF.
void markLoneCrs(char* from, char* to) {
    for (char* cr = from; (cr = static_cast<char*>(std::memchr(cr, '\r', static_cast<size_t>(to - cr))));
         ++cr) {
        if (cr + 1 == to || cr[1] != '\n') {
            *cr = '\n';
        }
    }
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

LineReader::LineReader(ReadText read, void* source, size_t chunkSize)
    : read_(read), source_(source), buffer_(std::max<size_t>(chunkSize, 2) + 1, '\0') {
    next_ = end_ = buffer_.data();
}

bool LineReader::refill(const char* keep) {
    const auto shownUpTo = [this] { return dropped_ + static_cast<uint64_t>(end_ - buffer_.data()); };
    const uint64_t shownBefore = shownUpTo();
    while (!ended_) {
        readChunk(keep);
        // A chunk of one CR shows nothing until the byte after it comes.
        if (shownUpTo() > shownBefore) {
            return true;
        }
        keep = buffer_.data();
    }
    return false;
}

void LineReader::readChunk(const char* keep) {
    // The last data line may lie in the bytes about to move or be dropped.
    if (lineInBuffer_) {
        const char* lineEnd = findLineEnd(line_);
        held_.assign(line_, lineEnd ? lineEnd + 1 : end_);
        line_ = held_.c_str();
        lineInBuffer_ = false;
    }
    char* const start = buffer_.data();
    const size_t shown = static_cast<size_t>(end_ - keep);
    const size_t kept = shown + crHeld_;
    const size_t nextOffset = static_cast<size_t>(next_ - keep);
    dropped_ += static_cast<uint64_t>(keep - start);
    const size_t chunk = buffer_.size() - 1;
    if (kept > chunk / 2) {
        // Only a data line longer than half the buffer gets here.
        std::vector<char> bigger(2 * chunk + 1);
        std::memcpy(bigger.data(), keep, shown);
        buffer_ = std::move(bigger);
    } else {
        std::memmove(start, keep, shown);
    }
    char* const bytes = buffer_.data();
    if (crHeld_) {
        bytes[shown] = '\r';  // the NUL after the bytes shown had taken its place
    }
    const size_t wanted = buffer_.size() - 1 - kept;
    size_t got = read_(source_, bytes + kept, wanted);
    if (got < wanted) {
        ended_ = true;
    }
    if (const void* stop = std::memchr(bytes + kept, 0x1A, got)) {
        got = static_cast<size_t>(static_cast<const char*>(stop) - (bytes + kept));
        ended_ = true;
    }
    size_t total = kept + got;
    // Whether a CR read last is a line end of its own or the start of CR LF
    // only the next byte tells: it is held back until then.
    crHeld_ = !ended_ && got > 0 && bytes[total - 1] == '\r';
    total -= crHeld_;
    markLoneCrs(bytes + shown, bytes + total);
    next_ = bytes + nextOffset;
    end_ = bytes + total;
    bytes[total] = '\0';
}

const char* LineReader::findLineEnd(const char* from) {
    return static_cast<const char*>(std::memchr(from, '\n', static_cast<size_t>(end_ - from)));
}

bool LineReader::readDataLine() {
    if (!started_) {
        started_ = true;
        while (end_ - next_ < 3 && refill(next_)) {
        }
        if (end_ - next_ >= 3 && std::memcmp(next_, "\xEF\xBB\xBF", 3) == 0) {
            next_ += 3;
        }
    }
    for (;;) {
        if (next_ == end_ && !refill(next_)) {
            return false;
        }
        // A CR still in the text starts CR LF, which reads as "\n".
        const bool empty = next_[0] == '\n' || next_[0] == '\r';
        const char* lineEnd = findLineEnd(next_);
        if (next_[0] == '/' || empty) {
            // Skipped, so its bytes need not be held.
            while (!lineEnd) {
                next_ = end_;
                if (!refill(next_)) {
                    return false;
                }
                lineEnd = findLineEnd(next_);
            }
            next_ = lineEnd + 1;
            continue;
        }
        while (!lineEnd) {
            const size_t searched = static_cast<size_t>(end_ - next_);
            if (!refill(next_)) {
                break;
            }
            lineEnd = findLineEnd(next_ + searched);
        }
        line_ = next_;
        lineInBuffer_ = true;
        next_ = lineEnd ? lineEnd + 1 : end_;
        return true;
    }
}

size_t readTextInMemory(void* text, char* into, size_t size) {
    auto* memory = static_cast<TextInMemory*>(text);
    const size_t count = std::min(size, static_cast<size_t>(memory->end - memory->next));
    std::memcpy(into, memory->next, count);
    memory->next += count;
    return count;
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

}  // namespace figury
