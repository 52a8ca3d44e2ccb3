#include "figure/figure_file.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "figure/figure_text.h"
#include "figure/save_steps.h"

namespace figury {

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

// The count after word at the start of the next data line, or 0 when the
// line does not start with it and a number.
int32_t readHeader(LineReader& reader, const char* word) {
    reader.readDataLine();
    int32_t count = 0;
    scanHeader(reader.line(), word, count);
    return count;
}

// Reads count point records; false when not one follows the header, as there
// is then none to repeat, and points made up at 0 0 would only be saved over
// the file.
bool readPoints(LineReader& reader, int32_t count, uint64_t fileSize, std::vector<Point>& points) {
    // Room for the records the rest of the file could hold in the writer's
    // layout at its shortest ("0 0" and a line end); repeats grow it further.
    points.reserve(std::min<uint64_t>(static_cast<uint64_t>(count), bytesAfter(fileSize, reader) / 4 + 1));
    // A record that does not scan keeps the previous record's values; the
    // first one has none to keep and gives 0.
    Point point;
    for (int32_t k = 0; k < count; ++k) {
        const bool read = reader.readDataLine();
        if (!read && k == 0) {
            return false;
        }
        scanPair(reader.line(), point.x, point.y);
        points.push_back(point);
        if (!read) {
            // At the end of the text every missing record scans the same line again.
            points.resize(static_cast<size_t>(count), point);
            break;
        }
    }
    return true;
}

bool isPointNumber(int32_t number, size_t pointCount) {
    return number >= 1 && static_cast<size_t>(number) <= pointCount;
}

// Reads count line records, each naming two of the points by number from 1.
void readLines(LineReader& reader, int32_t count, const std::vector<Point>& points,
               std::vector<Line>& lines) {
    const size_t pointCount = points.size();
    int32_t a = 0;
    int32_t b = 0;
    int32_t named[2 * batchSize];
    bool ended = false;
    bool lastNamed = false;  // whether the last record scanned added a line
    for (int32_t k = 0; k < count && !ended;) {
        size_t namedCount = 0;
        for (; namedCount < batchSize && k < count && !ended; ++k) {
            ended = !reader.readDataLine();
            scanPair(reader.line(), a, b);
            // A record that names no point (0 before any record scanned) adds no line.
            lastNamed = isPointNumber(a, pointCount) && isPointNumber(b, pointCount);
            if (lastNamed) {
                named[2 * namedCount] = a - 1;
                named[2 * namedCount + 1] = b - 1;
                ++namedCount;
            }
        }
        for (size_t i = 0; i < namedCount; ++i) {
            lines.push_back(
                {points[static_cast<size_t>(named[2 * i])], points[static_cast<size_t>(named[2 * i + 1])]});
        }
        if (ended && lastNamed && k < count) {
            // At the end of the text every missing record names the same points again.
            const Line last = lines.back();
            lines.resize(lines.size() + static_cast<size_t>(count - k), last);
        }
    }
}

// Fills an empty figure from the file's text; false when the point header is
// missing or not positive, or no data line follows it, or a count is beyond
// what the file could hold.
// fileSize is the size the file system gives, 0 when unknown.
bool parseFigure(LineReader& reader, uint64_t fileSize, Figure& figure) {
    const int32_t pointCount = readHeader(reader, "PUNKTY");
    if (pointCount <= 0 || !countIsHonoured(pointCount, fileSize, reader) ||
        !readPoints(reader, pointCount, fileSize, figure.points)) {
        return false;
    }
    const int32_t lineCount = readHeader(reader, "LINIE");
    if (lineCount > 0 && !countIsHonoured(lineCount, fileSize, reader)) {
        return false;
    }
    readLines(reader, lineCount, figure.points, figure.lines);
    return true;
}

#ifdef _WIN32
constexpr char lineEnd[] = "\r\n";  // what the text-mode writer turns "\n" into
#else
constexpr char lineEnd[] = "\n";
#endif
constexpr size_t lineEndSize = sizeof lineEnd - 1;
constexpr size_t numberSize = 11;  // "-2147483648"

// Appends to a buffer sized for the whole text up front.
class TextWriter {
public:
    explicit TextWriter(size_t capacity) : bytes_(capacity), out_(bytes_.data()) {}

    TextWriter& number(int64_t value) {
        out_ = std::to_chars(out_, bytes_.data() + bytes_.size(), value).ptr;
        return *this;
    }
    TextWriter& text(std::string_view text) {
        out_ = std::copy(text.begin(), text.end(), out_);
        return *this;
    }
    TextWriter& endLine() { return text(std::string_view(lineEnd, lineEndSize)); }

    std::vector<char> finish() {
        bytes_.resize(static_cast<size_t>(out_ - bytes_.data()));
        return std::move(bytes_);
    }

private:
    std::vector<char> bytes_;
    char* out_;
};

// Naming each line end by the first point with its coordinates. Points and
// ends are first split by hash into parts small enough for a part's hash
// table to stay in the cache, then each part is matched on its own: memory is
// read and written in streams, not at random. At 1M points and lines a save
// takes 0.36-0.41 s this way and 1.27 s with one std::unordered_map.

uint64_t coordinateHash(Point point) {
    uint64_t h = (uint64_t{static_cast<uint32_t>(point.x)} << 32) | static_cast<uint32_t>(point.y);
    h *= 0x9E3779B97F4A7C15u;
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9u;
    return h ^ (h >> 32);
}

struct Tagged {
    Point point;
    uint32_t id;  // point number (from 1), or end index
};

// The count items that pointAt gives, grouped by part, in their own order
// within each part; `starts` gets where each part begins, plus the end.
template <class PointAt>
std::vector<Tagged> splitIntoParts(size_t count, PointAt pointAt, uint32_t firstId, int partBits,
                                   std::vector<size_t>& starts) {
    const auto partOf = [partBits](Point point) {
        return partBits ? static_cast<size_t>(coordinateHash(point) >> (64 - partBits)) : 0;
    };
    const size_t parts = size_t{1} << partBits;
    starts.assign(parts + 1, 0);
    for (size_t k = 0; k < count; ++k) {
        ++starts[partOf(pointAt(k)) + 1];
    }
    for (size_t part = 0; part < parts; ++part) {
        starts[part + 1] += starts[part];
    }
    std::vector<size_t> next(starts.begin(), starts.end() - 1);
    std::vector<Tagged> items(count);
    for (size_t k = 0; k < count; ++k) {
        const Point point = pointAt(k);
        items[next[partOf(point)]++] = Tagged{point, static_cast<uint32_t>(firstId + k)};
    }
    return items;
}

// For each line end (first, second, first, ...), the number of the first
// point with its coordinates, or 0 when there is none.
std::vector<uint32_t> endNumbers(const std::vector<Point>& points, const std::vector<Line>& lines) {
    int partBits = 0;
    while ((points.size() >> partBits) > 2048) {
        ++partBits;
    }
    std::vector<size_t> pointStarts;
    std::vector<size_t> endStarts;
    const std::vector<Tagged> pointItems = splitIntoParts(
        points.size(), [&points](size_t k) { return points[k]; }, 1, partBits, pointStarts);
    const std::vector<Tagged> endItems = splitIntoParts(
        2 * lines.size(), [&lines](size_t e) { return e % 2 ? lines[e / 2].second : lines[e / 2].first; }, 0,
        partBits, endStarts);

    std::vector<uint32_t> numbers(endItems.size(), 0);
    std::vector<Tagged> table;
    for (size_t part = 0; part + 1 < pointStarts.size(); ++part) {
        const Tagged* firstPoint = pointItems.data() + pointStarts[part];
        const Tagged* lastPoint = pointItems.data() + pointStarts[part + 1];
        size_t size = 16;
        while (size < 2 * static_cast<size_t>(lastPoint - firstPoint)) {
            size *= 2;
        }
        const size_t mask = size - 1;
        table.assign(size, Tagged{{}, 0});  // id 0: empty
        const auto slotOf = [&table, mask](Point point) {
            size_t slot = static_cast<size_t>(coordinateHash(point)) & mask;
            while (table[slot].id != 0 && table[slot].point != point) {
                slot = (slot + 1) & mask;
            }
            return slot;
        };
        // Points come in storage order, so the first one to take a slot is
        // the first point at those coordinates.
        for (const Tagged* point = firstPoint; point != lastPoint; ++point) {
            Tagged& slot = table[slotOf(point->point)];
            if (slot.id == 0) {
                slot = *point;
            }
        }
        for (size_t i = endStarts[part]; i < endStarts[part + 1]; ++i) {
            const Tagged& end = endItems[i];
            numbers[end.id] = table[slotOf(end.point)].id;
        }
    }
    return numbers;
}

std::vector<char> figureText(const Figure& figure) {
    const size_t recordSize = 2 * numberSize + 1 + lineEndSize;
    const size_t headersSize = 2 * (8 + numberSize + 3 * lineEndSize);
    TextWriter out(headersSize + (figure.points.size() + figure.lines.size()) * recordSize);

    out.text("PUNKTY ").number(static_cast<int64_t>(figure.points.size())).endLine().endLine();
    for (const Point& point : figure.points) {
        out.number(point.x).text(" ").number(point.y).endLine();
    }

    // Every end names a point while the figure keeps its invariant; a line
    // with an end that does not is left out whole, never half written.
    const std::vector<uint32_t> numbers = endNumbers(figure.points, figure.lines);
    size_t written = 0;
    for (size_t k = 0; k < figure.lines.size(); ++k) {
        written += numbers[2 * k] != 0 && numbers[2 * k + 1] != 0;
    }
    out.endLine().text("LINIE ").number(static_cast<int64_t>(written)).endLine().endLine();
    for (size_t k = 0; k < figure.lines.size(); ++k) {
        if (numbers[2 * k] != 0 && numbers[2 * k + 1] != 0) {
            out.number(numbers[2 * k]).text(" ").number(numbers[2 * k + 1]).endLine();
        }
    }
    return out.finish();
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

bool loadFigure(Figure& figure, const char* path) {
    try {
        FileHandle file(std::fopen(path, "rb"));
        if (!file) {
            return false;
        }
        std::error_code error;
        const uintmax_t size = std::filesystem::file_size(path, error);
        // A small file needs no more than its own size in memory.
        const uint64_t chunkSize = std::min<uint64_t>(error ? UINT64_MAX : size + 1, uint64_t{1} << 18);
        LineReader reader(readFile, file.get(), static_cast<size_t>(std::max<uint64_t>(chunkSize, 4096)));
        Figure loaded;
        if (!parseFigure(reader, error ? 0 : static_cast<uint64_t>(size), loaded) ||
            std::ferror(file.get())) {
            return false;
        }
        figure = std::move(loaded);
        return true;
    } catch (const std::exception&) {  // out of memory above all
        return false;
    }
}

bool saveFigureText(const std::vector<char>& text, const char* path, const SaveSteps& steps) {
    try {
        const std::string target = steps.target(path);
        if (target.empty() || !steps.replaceable(target.c_str())) {
            return false;
        }
        std::string temporary;
        std::FILE* file = nullptr;
        for (int attempt = 0; attempt < 8 && !file; ++attempt) {
            temporary = temporaryName(target);
            bool nameTaken = false;
            file = steps.create(temporary.c_str(), nameTaken);
            if (!file && !nameTaken) {
                return false;
            }
        }
        if (!file) {
            return false;
        }
        bool written = steps.write(file, text.data(), text.size()) && steps.flush(file) && steps.sync(file);
        written = steps.close(file) && written;
        if (!written || !steps.replace(temporary.c_str(), target.c_str())) {
            steps.remove(temporary.c_str());
            return false;
        }
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool saveFigure(const Figure& figure, const char* path, const SaveSteps& steps) {
    try {
        return saveFigureText(figureText(figure), path, steps);
    } catch (const std::exception&) {
        return false;
    }
}

bool saveFigure(const Figure& figure, const char* path) {
    return saveFigure(figure, path, fileSaveSteps());
}

bool loadFigureFromBytes(Figure& figure, const char* bytes, size_t size) {
    try {
        TextInMemory text{size ? bytes : "", size ? bytes + size : ""};
        // As loadFigure sizes its chunks for a file of this size.
        LineReader reader(
            readTextInMemory, &text,
            static_cast<size_t>(std::clamp<uint64_t>(uint64_t{size} + 1, 4096, uint64_t{1} << 18)));
        Figure loaded;
        if (!parseFigure(reader, size, loaded)) {
            return false;
        }
        figure = std::move(loaded);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::vector<char> figureFileText(const Figure& figure) {
    return figureText(figure);
}

bool saveFigureText(const std::vector<char>& text, const char* path) {
    return saveFigureText(text, path, fileSaveSteps());
}

}  // namespace figury
