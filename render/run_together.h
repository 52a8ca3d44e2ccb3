#pragma once

#include <cstddef>
#include <functional>

namespace figury {

// The largest jobs of a frame (the proximity test over every line, the red
// lines counted afresh after a jump) split in two, one half on a second
// thread: on two cores the frame waits for half as long.

// True when a job over count elements is worth the second thread: the
// machine has a second core and the job is large against handing work over
// (tens of microseconds) at minimum elements.
bool worthTwoThreads(size_t count, size_t minimum);

// The minimum for a job of proximity tests, about 5 ns a line: below this
// many lines a second thread costs more than it saves.
constexpr size_t testedLinesWorthTwoThreads = size_t{1} << 16;
// The minimum for a job of lines whose pixels are walked, which costs a
// microsecond or more a line.
constexpr size_t walkedLinesWorthTwoThreads = 2048;

// Runs first on the second thread and second on the caller's, and returns
// when both have ended. Where the second thread cannot be had (it could not
// be started, or another caller has it), first runs on the caller's before
// second. What either throws is thrown on, first's first.
void runTogether(const std::function<void()>& first, const std::function<void()>& second);

}  // namespace figury
