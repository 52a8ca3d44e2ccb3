#include "figure/figure_file.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "figure/figure_text.h"
#include "figure/save_steps.h"

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// Points named by number are read in batches of this many, so that their
// cache misses overlap instead of coming one by one.
constexpr size_t batchSize = 64;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// The whole file in memory, cut at a Ctrl-Z as the Windows text-mode reader
// cuts it, with a NUL after the last byte to stop the scanner.
class FileText {
public:
    bool read(const char* path) {
        FileHandle file(std::fopen(path, "rb"));
        if (!file) {
            return false;
        }
        std::error_code error;
        const auto expected = std::filesystem::file_size(path, error);
        grow(error ? 4096 : static_cast<size_t>(expected) + 1);
        for (;;) {
            if (size_ == capacity_) {
                grow(capacity_ * 2);
            }
            const size_t got = std::fread(bytes_.get() + size_, 1, capacity_ - size_, file.get());
            size_ += got;
            if (got == 0) {
                break;
            }
        }
        if (std::ferror(file.get())) {
            return false;
        }
        if (const void* stop = std::memchr(bytes_.get(), 0x1A, size_)) {
            size_ = static_cast<size_t>(static_cast<const char*>(stop) - bytes_.get());
        }
        bytes_[size_] = '\0';
        return true;
    }

    const char* begin() const { return bytes_.get(); }
    const char* end() const { return bytes_.get() + size_; }

private:
    void grow(size_t capacity) {
        std::unique_ptr<char[]> bigger(new char[capacity]);
        if (size_ > 0) {
            std::memcpy(bigger.get(), bytes_.get(), size_);
        }
        bytes_ = std::move(bigger);
        capacity_ = capacity;
    }

    std::unique_ptr<char[]> bytes_;
    size_t size_ = 0;
    size_t capacity_ = 0;
};

bool isPointNumber(int32_t number, size_t pointCount) {
    return number >= 1 && static_cast<size_t>(number) <= pointCount;
}

// Fills an empty figure from the file's text; false when the point header is
// missing, not positive, or larger than the file could back.
bool parseFigure(const char* begin, const char* end, Figure& figure) {
    LineReader reader = makeLineReader(begin, end);
    readDataLine(reader);
    int32_t pointCount = 0;
    scanHeader(reader.line, "PUNKTY", pointCount);
    if (pointCount <= 0 || static_cast<size_t>(pointCount) > bytesLeft(reader)) {
        return false;
    }
    figure.points.resize(static_cast<size_t>(pointCount));
    // A record that does not scan keeps the previous record's values; the
    // first one has none to keep and gives 0.
    Point point;
    for (Point& stored : figure.points) {
        readDataLine(reader);
        scanPair(reader.line, point.x, point.y);
        stored = point;
    }

    readDataLine(reader);
    int32_t lineCount = 0;
    scanHeader(reader.line, "LINIE", lineCount);
    if (lineCount <= 0 || static_cast<size_t>(lineCount) > bytesLeft(reader)) {
        return true;
    }
    figure.lines.resize(static_cast<size_t>(lineCount));
    const Point* points = figure.points.data();
    Line* line = figure.lines.data();
    int32_t a = 0;
    int32_t b = 0;
    int32_t named[2 * batchSize];
    for (int32_t k = 0; k < lineCount;) {
        size_t count = 0;
        for (; count < batchSize && k < lineCount; ++k) {
            readDataLine(reader);
            scanPair(reader.line, a, b);
            // A record that names no point (0 before any record scanned) adds no line.
            if (isPointNumber(a, figure.points.size()) && isPointNumber(b, figure.points.size())) {
                named[2 * count] = a - 1;
                named[2 * count + 1] = b - 1;
                ++count;
            }
        }
        for (size_t i = 0; i < count; ++i) {
            *line++ = Line{points[named[2 * i]], points[named[2 * i + 1]]};
        }
    }
    figure.lines.resize(static_cast<size_t>(line - figure.lines.data()));
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
    const std::vector<Tagged> pointItems =
        splitIntoParts(points.size(), [&points](size_t k) { return points[k]; }, 1, partBits, pointStarts);
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

// Makes the replacement itself durable; the file is complete either way.
void syncFolderOf(const char* path) {
#ifndef _WIN32
    try {
        std::string folder = std::filesystem::path(path).parent_path().string();
        if (folder.empty()) {
            folder = ".";
        }
        const int descriptor = ::open(folder.c_str(), O_RDONLY);
        if (descriptor >= 0) {
            ::fsync(descriptor);
            ::close(descriptor);
        }
    } catch (const std::exception&) {
    }
#else
    (void)path;
#endif
}

std::FILE* openFile(const char* path) {
    return std::fopen(path, "wb");
}

bool writeFile(std::FILE* file, const char* bytes, size_t size) {
    return std::fwrite(bytes, 1, size, file) == size;
}

bool flushFile(std::FILE* file) {
    return std::fflush(file) == 0;
}

bool syncFile(std::FILE* file) {
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return ::fsync(::fileno(file)) == 0;
#endif
}

bool closeFile(std::FILE* file) {
    return std::fclose(file) == 0;
}

// std::filesystem::rename replaces an existing target on Windows too, where
// the C library's rename refuses to.
bool replaceFile(const char* from, const char* to) {
    try {
        std::error_code error;
        std::filesystem::rename(from, to, error);
        return !error;
    } catch (const std::exception&) {
        return false;
    }
}

bool removeFile(const char* path) {
    return std::remove(path) == 0;
}

}  // namespace

bool loadFigure(Figure& figure, const char* path) {
    try {
        FileText text;
        if (!text.read(path)) {
            return false;
        }
        Figure loaded;
        if (!parseFigure(text.begin(), text.end(), loaded)) {
            return false;
        }
        figure = std::move(loaded);
        return true;
    } catch (const std::exception&) {  // out of memory above all
        return false;
    }
}

const SaveSteps& fileSaveSteps() {
    static const SaveSteps steps{openFile, writeFile, flushFile, syncFile, closeFile, replaceFile, removeFile};
    return steps;
}

bool saveFigure(const Figure& figure, const char* path, const SaveSteps& steps) {
    try {
        const std::vector<char> text = figureText(figure);
        const std::string temporary = std::string(path) + ".tmp";
        std::FILE* file = steps.open(temporary.c_str());
        if (!file) {
            return false;
        }
        bool written = steps.write(file, text.data(), text.size()) && steps.flush(file) && steps.sync(file);
        written = steps.close(file) && written;
        if (!written || !steps.replace(temporary.c_str(), path)) {
            steps.remove(temporary.c_str());
            return false;
        }
        syncFolderOf(path);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool saveFigure(const Figure& figure, const char* path) {
    return saveFigure(figure, path, fileSaveSteps());
}
