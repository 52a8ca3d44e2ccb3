#include "user_cases.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <random>
#include <utility>

#include "bench_figures.h"
#include "editor/commands.h"
#include "figure/line_proximity.h"
#include "window_session.h"

namespace figury {

const char* const userCaseNames[userCaseCount] = {"hover10 jump 50", "hover10 jump 120", "hover10 jump 300",
                                                  "hover2 jump 120", "unline press",     "unline undo",
                                                  "long insert",     "long move",        "long unline",
                                                  "long undo",       "long redo"};

namespace {

constexpr int commandId(Command command) {
    return static_cast<int>(command);
}

// Where the pointer goes: the client area below the button bar.
constexpr RECT pointerArea = {clientArea.left, buttonBarHeight, clientArea.right, clientArea.bottom};
constexpr POINT windowMiddle = {(pointerArea.left + pointerArea.right) / 2,
                                (pointerArea.top + pointerArea.bottom) / 2};
// The central half of the pointer area each way.
constexpr RECT middleArea = {
    (3 * pointerArea.left + pointerArea.right) / 4, (3 * pointerArea.top + pointerArea.bottom) / 4,
    (pointerArea.left + 3 * pointerArea.right) / 4, (pointerArea.top + 3 * pointerArea.bottom) / 4};
// The first table's edits go on there; a line deleted here lies well away.
constexpr RECT nearClearPatch = {clearPatch.left - 16, clearPatch.top - 16, clearPatch.right + 16,
                                 clearPatch.bottom + 16};
// The ends of the long lines, with their pick squares inside the pointer area.
constexpr RECT endArea = {pointerArea.left + 10, pointerArea.top + 10, pointerArea.right - 10,
                          pointerArea.bottom - 10};

// The random places of the cases, the same on every run: drawn by hand from
// the engine's raw output, as the benchmark figures are.
class Chooser {
public:
    explicit Chooser(uint32_t seed) : random_(seed) {}

    uint32_t below(uint32_t limit) { return random_() % limit; }

    // A unit vector in a direction spread evenly over the circle.
    std::pair<double, double> direction() {
        for (;;) {
            const int32_t dx = static_cast<int32_t>(below(2001)) - 1000;
            const int32_t dy = static_cast<int32_t>(below(2001)) - 1000;
            const int32_t squared = dx * dx + dy * dy;
            if (squared != 0 && squared <= 1000 * 1000) {
                const double length = std::sqrt(static_cast<double>(squared));
                return {dx / length, dy / length};
            }
        }
    }

    // A place about length pixels away in a random direction, inside area.
    // Areas here are wider than twice any length, so that some direction
    // always stays inside.
    POINT step(POINT from, int length, const RECT& area) {
        for (;;) {
            const auto [ux, uy] = direction();
            const POINT to = {from.x + std::lround(length * ux), from.y + std::lround(length * uy)};
            if (PtInRect(&area, to)) {
                return to;
            }
        }
    }

private:
    std::mt19937 random_;
};

bool anyLineNear(const Figure& figure, POINT at) {
    return std::any_of(figure.lines.begin(), figure.lines.end(),
                       [at](const Line& line) { return lineIsNear(line, at.x, at.y); });
}

bool recordedLineIsNear(const EditorState& state, POINT at) {
    const std::vector<Line>& lines = state.document.figure().lines;
    return state.recordedLine && *state.recordedLine < lines.size() &&
           lineIsNear(lines[*state.recordedLine], at.x, at.y);
}

// Jumps of the pointer in delete-line mode, of three lengths, and in
// delete-point mode. A delete-line hover near no line keeps the line shown before.
bool hoverJumps(Session& session, const EditorState& state, Chooser& chooser, int events,
                UserCaseTimes& times) {
    const struct {
        UserCase timedAs;
        Command mode;
        int length;
    } jumps[] = {{lineJump50, Command::deleteLine, 50},
                 {lineJump120, Command::deleteLine, 120},
                 {lineJump300, Command::deleteLine, 300},
                 {pointJump120, Command::deletePoint, 120}};
    for (const auto& jump : jumps) {
        session.command(commandId(jump.mode));
        POINT at = windowMiddle;
        session.timed(WM_MOUSEMOVE, at);
        for (int e = 0; e < events; ++e) {
            at = chooser.step(at, jump.length, pointerArea);
            times.ms[jump.timedAs].push_back(session.timed(WM_MOUSEMOVE, at));
            if (state.hoverX != at.x || state.hoverY != at.y) {
                std::fprintf(stderr, "the window did not take the hover at (%ld, %ld)\n", at.x, at.y);
                return false;
            }
            if (jump.mode == Command::deleteLine && !recordedLineIsNear(state, at) &&
                anyLineNear(state.document.figure(), at)) {
                std::fprintf(stderr, "the hover at (%ld, %ld) recorded no line near it\n", at.x, at.y);
                return false;
            }
        }
    }
    return true;
}

// A place on a line of the figure in the middle of the window, away from the
// clear patch, or none when no line passes there.
std::optional<POINT> spotOnALine(const Figure& figure, Chooser& chooser) {
    if (figure.lines.empty()) {
        return std::nullopt;
    }
    for (int tries = 0; tries < 1000000; ++tries) {
        const Line& line = figure.lines[chooser.below(static_cast<uint32_t>(figure.lines.size()))];
        const double dx = static_cast<double>(line.second.x) - line.first.x;
        const double dy = static_cast<double>(line.second.y) - line.first.y;
        if (dx * dx + dy * dy < 20.0 * 20.0) {
            continue;  // rounded to a pixel, the place might miss a short line's lens
        }
        const double t = (50.0 + chooser.below(901)) / 1000.0;
        const POINT spot = {std::lround(line.first.x + t * dx), std::lround(line.first.y + t * dy)};
        if (PtInRect(&middleArea, spot) && !PtInRect(&nearClearPatch, spot)) {
            return spot;
        }
    }
    return std::nullopt;
}

// A hover onto a line in the middle of the figure and a press there, which
// deletes the line the hover recorded; undone, so that every press meets the
// same figure.
bool unlineUnderThePointer(Session& session, const EditorState& state, const Figure& figure, Chooser& chooser,
                           int events, UserCaseTimes& times) {
    const Figure& now = state.document.figure();
    for (int e = 0; e < events; ++e) {
        const std::optional<POINT> spot = spotOnALine(figure, chooser);
        if (!spot) {
            std::fprintf(stderr, "no line of the figure crosses the middle of the window\n");
            return false;
        }
        session.command(commandId(Command::deleteLine));
        session.timed(WM_MOUSEMOVE, *spot);
        if (!recordedLineIsNear(state, *spot)) {
            std::fprintf(stderr, "the hover at (%ld, %ld) recorded no line near it\n", spot->x, spot->y);
            return false;
        }
        const size_t recorded = *state.recordedLine;
        times.ms[unlinePress].push_back(session.timedClick(*spot));
        const auto gone = figure.lines.begin() + static_cast<std::ptrdiff_t>(recorded);
        if (now.points != figure.points || now.lines.size() + 1 != figure.lines.size() ||
            !std::equal(figure.lines.begin(), gone, now.lines.begin()) ||
            !std::equal(gone + 1, figure.lines.end(), now.lines.begin() + (gone - figure.lines.begin()))) {
            std::fprintf(stderr, "the press at (%ld, %ld) did not delete exactly line %zu\n", spot->x,
                         spot->y, recorded);
            return false;
        }
        times.ms[unlineUndo].push_back(session.timedCommand(commandId(Command::undo)));
        if (now != figure) {
            std::fprintf(stderr, "the undo did not bring line %zu back\n", recorded);
            return false;
        }
    }
    return true;
}

// The figure's point nearest to aim among those inside area.
std::optional<Point> nearestPoint(const Figure& figure, double aimX, double aimY, const RECT& area) {
    std::optional<Point> nearest;
    double best = 0;
    for (Point point : figure.points) {
        if (!PtInRect(&area, {point.x, point.y})) {
            continue;
        }
        const double squared = (point.x - aimX) * (point.x - aimX) + (point.y - aimY) * (point.y - aimY);
        if (!nearest || squared < best) {
            nearest = point;
            best = squared;
        }
    }
    return nearest;
}

// The point a press at place picks: a first pick takes the last one under it
// in storage order, the second end of a new line the first one.
Point pickedPoint(const Figure& figure, Point place, bool last) {
    const auto under = [place](Point point) { return pointIsUnder(point, place.x, place.y); };
    return last ? *std::find_if(figure.points.rbegin(), figure.points.rend(), under)
                : *std::find_if(figure.points.begin(), figure.points.end(), under);
}

// A long line inserted between two points on opposite sides of the window's
// middle, where most lines cross; one of its ends moved, then the line
// deleted, that deletion undone and done again. The other three steps are
// undone untimed, so that every line meets the same figure.
bool longLines(Session& session, const EditorState& state, const Figure& figure, Chooser& chooser, int events,
               UserCaseTimes& times) {
    const Figure& now = state.document.figure();
    const size_t n = figure.lines.size();
    for (int e = 0; e < events; ++e) {
        const double middleX = windowMiddle.x - 20.0 + chooser.below(41);
        const double middleY = windowMiddle.y - 20.0 + chooser.below(41);
        const auto [ux, uy] = chooser.direction();
        const std::optional<Point> a = nearestPoint(figure, middleX + 330 * ux, middleY + 230 * uy, endArea);
        const std::optional<Point> b = nearestPoint(figure, middleX - 330 * ux, middleY - 230 * uy, endArea);
        if (!a || !b) {
            std::fprintf(stderr, "the window shows no point for a long line's end\n");
            return false;
        }
        const Point first = pickedPoint(figure, *a, true);
        const Point second = pickedPoint(figure, *b, false);
        const double length =
            std::hypot(static_cast<double>(second.x) - first.x, static_cast<double>(second.y) - first.y);
        if (length < 300) {
            std::fprintf(stderr, "the long line is only %.0f pixels long\n", length);
            return false;
        }

        session.command(commandId(Command::insertLine));
        session.click({a->x, a->y});
        times.ms[longInsert].push_back(session.timedClick({b->x, b->y}));
        if (now.lines.size() != n + 1 || now.lines.back() != Line{first, second}) {
            std::fprintf(stderr, "the long line from (%d, %d) to (%d, %d) was not inserted\n", first.x,
                         first.y, second.x, second.y);
            return false;
        }

        session.command(commandId(Command::movePoint));
        session.click({a->x, a->y});
        const POINT to = chooser.step({first.x, first.y}, 80, endArea);
        times.ms[longMove].push_back(session.timedClick(to));
        const Line moved = {{to.x, to.y}, second};
        if (now.lines.size() != n + 1 || now.lines.back() != moved) {
            std::fprintf(stderr, "the long line's end at (%d, %d) did not move to (%ld, %ld)\n", first.x,
                         first.y, to.x, to.y);
            return false;
        }
        const std::vector<Line> linesMoved = now.lines;

        session.command(commandId(Command::deleteLine));
        const POINT onIt = {(to.x + second.x) / 2, (to.y + second.y) / 2};
        session.timed(WM_MOUSEMOVE, onIt);
        if (state.recordedLine != n) {
            std::fprintf(stderr, "the hover at (%ld, %ld) did not record the long line\n", onIt.x, onIt.y);
            return false;
        }
        times.ms[longUnline].push_back(session.timedClick(onIt));
        if (now.lines.size() != n || !std::equal(now.lines.begin(), now.lines.end(), linesMoved.begin())) {
            std::fprintf(stderr, "the press at (%ld, %ld) did not delete the long line\n", onIt.x, onIt.y);
            return false;
        }

        times.ms[longUndo].push_back(session.timedCommand(commandId(Command::undo)));
        if (now.lines != linesMoved) {
            std::fprintf(stderr, "the undo did not bring the long line back\n");
            return false;
        }
        times.ms[longRedo].push_back(session.timedCommand(commandId(Command::redo)));
        if (now.lines.size() != n || !std::equal(now.lines.begin(), now.lines.end(), linesMoved.begin())) {
            std::fprintf(stderr, "the redo did not delete the long line again\n");
            return false;
        }
        for (int step = 0; step < 3; ++step) {
            session.command(commandId(Command::undo));
        }
        if (now != figure) {
            std::fprintf(stderr, "undoing the long line's three edits did not leave the figure as it was\n");
            return false;
        }
    }
    return true;
}

}  // namespace

bool runUserCases(HWND window, EditorState& state, const Figure& figure, int events, UserCaseTimes& times) {
    Session session(window);
    Chooser chooser(20240601u + static_cast<uint32_t>(figure.points.size()));
    return hoverJumps(session, state, chooser, events, times) &&
           unlineUnderThePointer(session, state, figure, chooser, events, times) &&
           longLines(session, state, figure, chooser, events, times);
}

}  // namespace figury
