#pragma once

#include <cstddef>
#include <functional>

namespace figury {

// The largest jobs of a frame (the proximity test over every line, the red
// lines counted afresh after a jump, their pixels found as bits) are shared
// by two threads: on two cores the frame waits for half as long.
//
// The words used here and by the jobs: a job is shared by the second thread
// and the caller's thread; each thread first does its own part, then takes
// batches, in ascending order, until none is left. A schedule decides
// whether a job is worth the second thread, and which thread takes each
// batch: in the program the thread that is free first; in the tests a
// script, so that every share the design allows is run on purpose.

// The minimum for a job of proximity tests, about 5 ns a line: below this
// many lines a second thread costs more than it saves.
constexpr size_t testedLinesWorthTwoThreads = size_t{1} << 16;
// The minimum for a job of lines whose pixels are walked, which costs a
// microsecond or more a line.
constexpr size_t walkedLinesWorthTwoThreads = 2048;

// The second thread, kept for the whole run, and the thread that runs the job.
enum class Thread { second, caller };

// A job shared by the two threads. A batch's work may depend on the thread
// that takes it (each thread adding into memory of its own, for example),
// never on which other batches that thread took or when.
struct SharedJob {
    std::function<void()> secondPart;  // either may be empty
    std::function<void()> callerPart;
    size_t batches = 0;
    std::function<void(size_t batch, Thread thread)> take;
};

class Schedule {
public:
    virtual ~Schedule() = default;
    // True when a job over count elements is worth the second thread, given
    // the minimum above that the job's kind of work needs.
    virtual bool worthTwoThreads(size_t count, size_t minimum) const = 0;
    // Runs both parts of the job and each of its batches once, and returns
    // when all have ended. What the job throws is thrown on.
    virtual void run(const SharedJob& job) const = 0;
};

// The program's schedule: the second thread where the machine has a second
// core and the job is large against handing work over (tens of
// microseconds); each batch to the thread that is free first. Where the
// second thread cannot be had (it could not be started, or another caller
// has it), the caller's thread does the second thread's share first.
const Schedule& systemSchedule();

}  // namespace figury
