#include "figure_file.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "figure_text.h"
#include "save_steps.h"

namespace {

// Points named by number are read in batches of this many, so that their
// cache misses overlap instead of coming one by one.
constexpr size_t batchSize = 64;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

size_t readFile(void* file, char* into, size_t size) {
    return std::fread(into, 1, size, static_cast<std::FILE*>(file));
}

bool isPointNumber(int32_t number, int32_t pointCount) {
    return number >= 1 && number <= pointCount;
}

// A count no larger than the bytes after its header, or than this, is taken as
// it stands, records repeated for the missing ones. A larger one could only be
// met by repeats and would ask for gigabytes: the file is refused instead.
constexpr uint64_t countAlwaysHonoured = uint64_t{1} << 24;

uint64_t bytesAfter(uint64_t fileSize, const LineReader& reader) {
    return fileSize > reader.consumed() ? fileSize - reader.consumed() : 0;
}

bool countIsHonoured(int32_t count, uint64_t fileSize, const LineReader& reader) {
    return static_cast<uint64_t>(count) <= std::max(bytesAfter(fileSize, reader), countAlwaysHonoured);
}

// Fills an empty figure from the file's text; false when the point header is
// missing or not positive, or a count is beyond what the file could hold.
// fileSize is the size the file system gives, 0 when unknown.
bool parseFigure(LineReader& reader, uint64_t fileSize, Figure& figure) {
    reader.readDataLine();
    int32_t pointCount = 0;
    scanHeader(reader.line(), "PUNKTY", pointCount);
    if (pointCount <= 0 || !countIsHonoured(pointCount, fileSize, reader)) {
        return false;
    }
    std::vector<int32_t>& points = figure.points;
    // Room for the records the rest of the file could hold in the writer's
    // layout at its shortest ("0 0" and a line end); repeats grow it further.
    points.reserve(2 * std::min<uint64_t>(static_cast<uint64_t>(pointCount), bytesAfter(fileSize, reader) / 4 + 1));
    // A record that does not scan keeps the previous record's values; the
    // first one has none to keep and gives 0.
    int32_t x = 0;
    int32_t y = 0;
    for (int32_t k = 0; k < pointCount; ++k) {
        const bool read = reader.readDataLine();
        scanPair(reader.line(), x, y);
        points.push_back(x);
        points.push_back(y);
        if (!read) {
            // At the end of the text every missing record scans the same line again.
            points.resize(2 * static_cast<size_t>(pointCount), 0);
            for (size_t i = 2 * static_cast<size_t>(k) + 2; i < points.size(); i += 2) {
                points[i] = x;
                points[i + 1] = y;
            }
            break;
        }
    }
    figure.pointCount = pointCount;

    reader.readDataLine();
    int32_t lineCount = 0;
    scanHeader(reader.line(), "LINIE", lineCount);
    if (lineCount > 0 && !countIsHonoured(lineCount, fileSize, reader)) {
        return false;
    }
    std::vector<int32_t>& lines = figure.lines;
    int32_t a = 0;
    int32_t b = 0;
    int32_t named[2 * batchSize];
    bool ended = false;
    bool lastNamed = false;  // whether the last record scanned added a line
    for (int32_t k = 0; k < lineCount && !ended;) {
        size_t count = 0;
        for (; count < batchSize && k < lineCount && !ended; ++k) {
            ended = !reader.readDataLine();
            scanPair(reader.line(), a, b);
            // A record that names no point (0 before any record scanned) adds no line.
            lastNamed = isPointNumber(a, pointCount) && isPointNumber(b, pointCount);
            if (lastNamed) {
                named[2 * count] = a - 1;
                named[2 * count + 1] = b - 1;
                ++count;
            }
        }
        lines.resize(lines.size() + 4 * count);
        int32_t* line = lines.data() + lines.size() - 4 * count;
        for (size_t i = 0; i < count; ++i, line += 4) {
            const int32_t* first = points.data() + 2 * static_cast<size_t>(named[2 * i]);
            const int32_t* second = points.data() + 2 * static_cast<size_t>(named[2 * i + 1]);
            line[0] = first[0];
            line[1] = first[1];
            line[2] = second[0];
            line[3] = second[1];
        }
        if (ended && lastNamed && k < lineCount) {
            // At the end of the text every missing record names the same points again.
            const size_t stored = lines.size();
            lines.resize(stored + 4 * static_cast<size_t>(lineCount - k));
            for (size_t i = stored; i < lines.size(); i += 4) {
                std::copy_n(lines.data() + stored - 4, 4, lines.data() + i);
            }
        }
    }
    figure.lineCount = static_cast<int32_t>(lines.size() / 4);
    return true;
}

#ifdef _WIN32
constexpr char lineEnd[] = "\r\n";  // what the text-mode writer turns "\n" into
#else
constexpr char lineEnd[] = "\n";
#endif
constexpr size_t lineEndSize = sizeof lineEnd - 1;
constexpr size_t numberSize = 11;  // "-2147483648"

struct DigitPairs {
    char text[200];
    constexpr DigitPairs() : text() {
        for (int i = 0; i < 100; ++i) {
            text[2 * i] = static_cast<char>('0' + i / 10);
            text[2 * i + 1] = static_cast<char>('0' + i % 10);
        }
    }
};
constexpr DigitPairs digitPairs;

int digitCount(uint32_t value) {
    int count = 1;
    while (value >= 10) {
        value /= 10;
        ++count;
    }
    return count;
}

// Digits go straight to their place, last first, two at a time.
char* writeNumber(char* out, int32_t value) {
    uint32_t magnitude = static_cast<uint32_t>(value);
    if (value < 0) {
        *out++ = '-';
        magnitude = 0u - magnitude;
    }
    char* const end = out + digitCount(magnitude);
    char* p = end;
    while (magnitude >= 100) {
        p -= 2;
        std::memcpy(p, digitPairs.text + 2 * (magnitude % 100), 2);
        magnitude /= 100;
    }
    if (magnitude >= 10) {
        std::memcpy(p - 2, digitPairs.text + 2 * magnitude, 2);
    } else {
        p[-1] = static_cast<char>('0' + magnitude);
    }
    return end;
}

char* writeText(char* out, const char* text) {
    const size_t size = std::strlen(text);
    std::memcpy(out, text, size);
    return out + size;
}

char* writeLineEnd(char* out) {
    std::memcpy(out, lineEnd, lineEndSize);
    return out + lineEndSize;
}

// Naming each line end by the first point with its coordinates. Points and
// ends are first split by hash into parts small enough for a part's hash
// table to stay in the cache, then each part is matched on its own: memory is
// read and written in streams, not at random.

uint64_t coordinateHash(int32_t x, int32_t y) {
    uint64_t h = (uint64_t{static_cast<uint32_t>(x)} << 32) | static_cast<uint32_t>(y);
    h *= 0x9E3779B97F4A7C15u;
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9u;
    return h ^ (h >> 32);
}

struct Tagged {
    int32_t x;
    int32_t y;
    uint32_t id;  // point number (from 1), or end index
};

// The items of `coordinates` (pairs) grouped by part, in their own order
// within each part; `starts` gets where each part begins, plus the end.
std::vector<Tagged> splitIntoParts(const int32_t* coordinates, size_t count, uint32_t firstId, int partBits,
                                   std::vector<size_t>& starts) {
    const auto partOf = [partBits](uint64_t h) { return partBits ? static_cast<size_t>(h >> (64 - partBits)) : 0; };
    const size_t parts = size_t{1} << partBits;
    starts.assign(parts + 1, 0);
    for (size_t k = 0; k < count; ++k) {
        ++starts[partOf(coordinateHash(coordinates[2 * k], coordinates[2 * k + 1])) + 1];
    }
    for (size_t part = 0; part < parts; ++part) {
        starts[part + 1] += starts[part];
    }
    std::vector<size_t> next(starts.begin(), starts.end() - 1);
    std::vector<Tagged> items(count);
    for (size_t k = 0; k < count; ++k) {
        const int32_t x = coordinates[2 * k];
        const int32_t y = coordinates[2 * k + 1];
        items[next[partOf(coordinateHash(x, y))]++] = Tagged{x, y, static_cast<uint32_t>(firstId + k)};
    }
    return items;
}

// For each of endCount line ends (coordinate pairs), the number of the first
// point with its coordinates, or 0 when there is none.
std::vector<int32_t> endNumbers(const int32_t* points, size_t pointCount, const int32_t* ends, size_t endCount) {
    int partBits = 0;
    while ((pointCount >> partBits) > 2048) {
        ++partBits;
    }
    std::vector<size_t> pointStarts;
    std::vector<size_t> endStarts;
    const std::vector<Tagged> pointItems = splitIntoParts(points, pointCount, 1, partBits, pointStarts);
    const std::vector<Tagged> endItems = splitIntoParts(ends, endCount, 0, partBits, endStarts);

    std::vector<int32_t> numbers(endCount, 0);
    std::vector<Tagged> table;
    for (size_t part = 0; part + 1 < pointStarts.size(); ++part) {
        const Tagged* firstPoint = pointItems.data() + pointStarts[part];
        const Tagged* lastPoint = pointItems.data() + pointStarts[part + 1];
        size_t size = 16;
        while (size < 2 * static_cast<size_t>(lastPoint - firstPoint)) {
            size *= 2;
        }
        const size_t mask = size - 1;
        table.assign(size, Tagged{0, 0, 0});  // id 0: empty
        const auto slotOf = [&table, mask](int32_t x, int32_t y) {
            size_t slot = static_cast<size_t>(coordinateHash(x, y)) & mask;
            while (table[slot].id != 0 && (table[slot].x != x || table[slot].y != y)) {
                slot = (slot + 1) & mask;
            }
            return slot;
        };
        // Points come in storage order, so the first one to take a slot is
        // the first point at those coordinates.
        for (const Tagged* point = firstPoint; point != lastPoint; ++point) {
            Tagged& slot = table[slotOf(point->x, point->y)];
            if (slot.id == 0) {
                slot = *point;
            }
        }
        for (size_t i = endStarts[part]; i < endStarts[part + 1]; ++i) {
            const Tagged& end = endItems[i];
            numbers[end.id] = static_cast<int32_t>(table[slotOf(end.x, end.y)].id);
        }
    }
    return numbers;
}

struct Text {
    std::unique_ptr<char[]> bytes;
    size_t size = 0;
};

Text figureText(const Figure& figure) {
    const size_t pointCount = pointElements(figure) / 2;
    const size_t lineCount = lineElements(figure) / 4;
    const size_t recordSize = 2 * numberSize + 1 + lineEndSize;
    const size_t headersSize = 2 * (8 + numberSize + 3 * lineEndSize);

    Text text;
    text.bytes.reset(new char[headersSize + (pointCount + lineCount) * recordSize]);
    char* out = text.bytes.get();

    out = writeText(out, "PUNKTY ");
    out = writeNumber(out, static_cast<int32_t>(pointCount));
    out = writeLineEnd(writeLineEnd(out));
    const int32_t* points = figure.points.data();
    for (size_t k = 0; k < pointCount; ++k) {
        out = writeNumber(out, points[2 * k]);
        *out++ = ' ';
        out = writeLineEnd(writeNumber(out, points[2 * k + 1]));
    }

    // Every end matches a point while the figure keeps its invariant; a line
    // with an end that does not is left out whole rather than half written.
    const std::vector<int32_t> numbers = endNumbers(points, pointCount, figure.lines.data(), 2 * lineCount);
    size_t linesWritten = 0;
    for (size_t k = 0; k < lineCount; ++k) {
        linesWritten += numbers[2 * k] != 0 && numbers[2 * k + 1] != 0;
    }
    out = writeText(writeLineEnd(out), "LINIE ");
    out = writeNumber(out, static_cast<int32_t>(linesWritten));
    out = writeLineEnd(writeLineEnd(out));
    for (size_t k = 0; k < lineCount; ++k) {
        if (numbers[2 * k] != 0 && numbers[2 * k + 1] != 0) {
            out = writeNumber(out, numbers[2 * k]);
            *out++ = ' ';
            out = writeLineEnd(writeNumber(out, numbers[2 * k + 1]));
        }
    }
    text.size = static_cast<size_t>(out - text.bytes.get());
    return text;
}

// A name beside target that no file of the user's has: the figure file's own
// name, then a random part. The save creates it exclusively, so that two saves
// never share one and a file already there is never touched.
std::string temporaryName(const std::string& target) {
    static std::mt19937_64 random = [] {
        std::random_device entropy;
        const auto now = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
        return std::mt19937_64((uint64_t{entropy()} << 32) ^ entropy() ^ now);
    }();
    char part[17];
    std::snprintf(part, sizeof part, "%016llx", static_cast<unsigned long long>(random()));
    return target + ".figury-" + part + ".tmp";
}

}  // namespace

int loadFigure(Figure& figure, const char* path) {
    try {
        FileHandle file(std::fopen(path, "rb"));
        if (!file) {
            return 0;
        }
        std::error_code error;
        const uintmax_t size = std::filesystem::file_size(path, error);
        // A small file needs no more than its own size in memory.
        const uint64_t chunkSize = std::min<uint64_t>(error ? UINT64_MAX : size + 1, uint64_t{1} << 18);
        LineReader reader(readFile, file.get(), static_cast<size_t>(std::max<uint64_t>(chunkSize, 4096)));
        Figure loaded;
        if (!parseFigure(reader, error ? 0 : static_cast<uint64_t>(size), loaded) || std::ferror(file.get())) {
            return 0;
        }
        figure = std::move(loaded);
        return 1;
    } catch (const std::exception&) {  // out of memory above all
        return 0;
    }
}

int saveFigure(const Figure& figure, const char* path, const SaveSteps& steps) {
    try {
        const std::string target = steps.target(path);
        if (target.empty() || !steps.replaceable(target.c_str())) {
            return 0;
        }
        const Text text = figureText(figure);
        std::string temporary;
        std::FILE* file = nullptr;
        for (int attempt = 0; attempt < 8 && !file; ++attempt) {
            temporary = temporaryName(target);
            bool nameTaken = false;
            file = steps.create(temporary.c_str(), nameTaken);
            if (!file && !nameTaken) {
                return 0;
            }
        }
        if (!file) {
            return 0;
        }
        bool written = steps.write(file, text.bytes.get(), text.size) && steps.flush(file) && steps.sync(file);
        written = steps.close(file) && written;
        if (!written || !steps.replace(temporary.c_str(), target.c_str())) {
            steps.remove(temporary.c_str());
            return 0;
        }
        return 1;
    } catch (const std::exception&) {
        return 0;
    }
}

int saveFigure(const Figure& figure, const char* path) {
    return saveFigure(figure, path, fileSaveSteps());
}
