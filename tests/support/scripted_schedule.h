#pragma once

// Schedules for tests of the jobs that two threads share (run_together.h):
// the test's own thread runs both threads' shares, in an order the test
// writes down, so that each share the design allows is run on purpose and a
// verdict never depends on how the system ran the threads.

#include <algorithm>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "render/run_together.h"

namespace figury::testing_support {

// The script names, move by move, the thread that moves next, and is
// repeated for as long as the job lasts. A thread's first move does its own
// part, each later one takes the next batch; a thread named when it has
// nothing left to do lets the other move instead. A job is run from the
// script's start.
class ScriptedSchedule final : public Schedule {
public:
    explicit ScriptedSchedule(std::vector<Thread> script) : script_(std::move(script)) {}

    // Every job on the caller's thread alone, as on a machine of one core.
    static ScriptedSchedule oneThread() {
        ScriptedSchedule schedule({Thread::caller});
        schedule.twoThreads_ = false;
        return schedule;
    }

    // Any job, however small, is shared (but by oneThread), so that a small
    // test runs each path.
    bool worthTwoThreads(size_t, size_t) const override { return twoThreads_; }

    void run(const SharedJob& job) const override {
        Progress progress{job};
        for (size_t move = 0;; ++move) {
            const Thread named = script_[move % script_.size()];
            if (!progress.move(named) &&
                !progress.move(named == Thread::second ? Thread::caller : Thread::second)) {
                break;
            }
        }
        mostMoves_ = std::max(mostMoves_, progress.moves);
    }

    // The most moves any job run so far took: a test that runs every script
    // of n moves has run every order of a job that took n or fewer.
    size_t mostMoves() const { return mostMoves_; }

    // For a test's trace, such as "second, caller, caller".
    std::string name() const {
        if (!twoThreads_) {
            return "one thread";
        }
        std::string text;
        for (const Thread thread : script_) {
            text += (text.empty() ? "" : ", ") + std::string(thread == Thread::second ? "second" : "caller");
        }
        return text;
    }

private:
    struct Progress {
        const SharedJob& job;
        bool secondStarted = false;
        bool callerStarted = false;
        size_t nextBatch = 0;
        size_t moves = 0;

        // False, with nothing done, when the thread has nothing left to do.
        bool move(Thread thread) {
            bool& started = thread == Thread::second ? secondStarted : callerStarted;
            if (!started) {
                started = true;
                const auto& part = thread == Thread::second ? job.secondPart : job.callerPart;
                if (part) {
                    part();
                }
            } else if (nextBatch < job.batches) {
                job.take(nextBatch++, thread);
            } else {
                return false;
            }
            ++moves;
            return true;
        }
    };

    std::vector<Thread> script_;
    bool twoThreads_ = true;
    mutable size_t mostMoves_ = 0;
};

// Every script of exactly moves moves: 2 to the power moves of them.
inline std::vector<ScriptedSchedule> everyScript(size_t moves) {
    std::vector<ScriptedSchedule> schedules;
    for (size_t bits = 0; bits < (size_t{1} << moves); ++bits) {
        std::vector<Thread> script;
        for (size_t move = 0; move < moves; ++move) {
            script.push_back((bits >> move) & 1 ? Thread::caller : Thread::second);
        }
        schedules.emplace_back(std::move(script));
    }
    return schedules;
}

// One thread, and the shares of two that differ the most, repeated through a
// job of any length: all to the second thread, all to the caller's, turn
// about either way round, and either thread starting late and taking one
// batch in three.
inline std::vector<ScriptedSchedule> typicalSchedules() {
    constexpr Thread second = Thread::second;
    constexpr Thread caller = Thread::caller;
    return {ScriptedSchedule::oneThread(),
            ScriptedSchedule({second}),
            ScriptedSchedule({caller}),
            ScriptedSchedule({second, caller}),
            ScriptedSchedule({caller, second}),
            ScriptedSchedule({caller, caller, second}),
            ScriptedSchedule({second, second, caller})};
}

}  // namespace figury::testing_support
