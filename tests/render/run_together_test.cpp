#include "render/run_together.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "support/scripted_schedule.h"

namespace figury {

namespace {

using testing_support::ScriptedSchedule;

constexpr Thread second = Thread::second;
constexpr Thread caller = Thread::caller;

// What a job did, in order: "S" and "C" for the second thread's and the
// caller's part, "s2" and "c2" for batch 2 taken by either.
std::vector<std::string> movesOf(const Schedule& schedule, size_t batches) {
    std::vector<std::string> moves;
    SharedJob job;
    job.secondPart = [&moves] { moves.push_back("S"); };
    job.callerPart = [&moves] { moves.push_back("C"); };
    job.batches = batches;
    job.take = [&moves](size_t batch, Thread thread) {
        moves.push_back((thread == second ? "s" : "c") + std::to_string(batch));
    };
    schedule.run(job);
    return moves;
}

// Every test of a shared job trusts the script to run the shares it names.
TEST(ScriptedSchedule, RunsTheMovesItsScriptNames) {
    const struct {
        ScriptedSchedule schedule;
        size_t batches;
        std::vector<std::string> moves;
    } cases[] = {
        {ScriptedSchedule({second}), 3, {"S", "s0", "s1", "s2", "C"}},
        {ScriptedSchedule({caller}), 3, {"C", "c0", "c1", "c2", "S"}},
        {ScriptedSchedule({second, caller}), 3, {"S", "C", "s0", "c1", "s2"}},
        {ScriptedSchedule({caller, second}), 4, {"C", "S", "c0", "s1", "c2", "s3"}},
        {ScriptedSchedule({caller, caller, second}), 3, {"C", "c0", "S", "c1", "c2"}},
        {ScriptedSchedule({second, caller}), 0, {"S", "C"}},
        {ScriptedSchedule::oneThread(), 2, {"C", "c0", "c1", "S"}},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.schedule.name() + ", " + std::to_string(each.batches) + " batches");
        EXPECT_EQ(each.moves, movesOf(each.schedule, each.batches));
        EXPECT_EQ(each.moves.size(), each.schedule.mostMoves());
    }
    EXPECT_TRUE(ScriptedSchedule({caller}).worthTwoThreads(1, walkedLinesWorthTwoThreads));
    EXPECT_FALSE(ScriptedSchedule::oneThread().worthTwoThreads(SIZE_MAX, 1));
}

// The program's schedule on real threads: the first batch taken waits until
// the other thread has taken one, so that both take batches however the
// system runs them. Each batch is taken once, on the thread it names, each
// thread's part before its batches. (A schedule that never gave one of the
// threads a batch would keep this test waiting until the test command's
// time limit.)
TEST(SystemSchedule, EachBatchOnceOnTheThreadItNames) {
    constexpr size_t batches = 40;
    std::mutex mutex;
    std::condition_variable took;
    std::vector<int> taken(batches, 0);
    std::vector<Thread> takenBy(batches, caller);
    std::vector<std::thread::id> ranOn(batches);
    const auto tookAny = [&](Thread thread) {
        for (size_t batch = 0; batch < batches; ++batch) {
            if (taken[batch] != 0 && takenBy[batch] == thread) {
                return true;
            }
        }
        return false;
    };
    bool partRan[2] = {false, false};  // the second thread's, the caller's
    bool tookBeforeItsPart = false;
    bool firstTaken = false;
    std::thread::id secondPartOn;

    SharedJob job;
    job.secondPart = [&] {
        const std::lock_guard<std::mutex> lock(mutex);
        partRan[0] = true;
        secondPartOn = std::this_thread::get_id();
    };
    job.callerPart = [&] {
        const std::lock_guard<std::mutex> lock(mutex);
        partRan[1] = true;
    };
    job.batches = batches;
    job.take = [&](size_t batch, Thread thread) {
        std::unique_lock<std::mutex> lock(mutex);
        ++taken[batch];
        takenBy[batch] = thread;
        ranOn[batch] = std::this_thread::get_id();
        tookBeforeItsPart |= !partRan[thread == second ? 0 : 1];
        took.notify_all();
        if (!firstTaken) {
            firstTaken = true;
            const Thread other = thread == second ? caller : second;
            took.wait(lock, [&] { return tookAny(other); });
        }
    };
    systemSchedule().run(job);

    EXPECT_EQ(std::vector<int>(batches, 1), taken);
    EXPECT_TRUE(partRan[0]);
    EXPECT_TRUE(partRan[1]);
    EXPECT_FALSE(tookBeforeItsPart);
    EXPECT_TRUE(tookAny(second));
    EXPECT_TRUE(tookAny(caller));
    EXPECT_NE(std::this_thread::get_id(), secondPartOn);
    for (size_t batch = 0; batch < batches; ++batch) {
        SCOPED_TRACE("batch " + std::to_string(batch));
        EXPECT_EQ(takenBy[batch] == caller ? std::this_thread::get_id() : secondPartOn, ranOn[batch]);
    }
}

// What either thread throws reaches the caller, once both have ended.
TEST(SystemSchedule, ThrowsOnWhatAThreadThrew) {
    for (const Thread thrower : {second, caller}) {
        SharedJob job;
        (thrower == second ? job.secondPart : job.callerPart) = [] { throw std::runtime_error("part"); };
        job.batches = 8;
        job.take = [](size_t, Thread) {};
        EXPECT_THROW(systemSchedule().run(job), std::runtime_error);
    }
}

// The minimum is where a job starts to be worth a second thread, on a
// machine that has a second core.
TEST(SystemSchedule, TwoThreadsFromTheMinimumOnWhereThereAreTwoCores) {
    const bool twoCores = std::thread::hardware_concurrency() > 1;
    for (const size_t minimum : {walkedLinesWorthTwoThreads, testedLinesWorthTwoThreads}) {
        EXPECT_FALSE(systemSchedule().worthTwoThreads(minimum - 1, minimum));
        EXPECT_EQ(twoCores, systemSchedule().worthTwoThreads(minimum, minimum));
    }
}

}  // namespace

}  // namespace figury
