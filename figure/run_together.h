#pragma once

#include <cstddef>
#include <exception>
#include <system_error>
#include <thread>

// The largest jobs of a frame (the proximity test over every line, the red
// lines counted afresh after a jump) split in two halves, one on a thread of
// their own: on two cores the frame waits for half as long.

// True when a job over count elements is worth a second thread: the machine
// has a second core and the job is large against a thread's start (tens of
// microseconds) at minimum elements.
inline bool worthTwoThreads(size_t count, size_t minimum) {
    static const bool twoCores = std::thread::hardware_concurrency() > 1;
    return twoCores && count >= minimum;
}

// Runs first on a thread of its own and second on the caller's, and returns
// when both have ended. Where no thread can be started, first runs on the
// caller's before second. What either throws is thrown on, first's first.
template <class First, class Second>
void runTogether(First&& first, Second&& second) {
    std::exception_ptr firstFailed;
    auto guarded = [&first, &firstFailed] {
        try {
            first();
        } catch (...) {
            firstFailed = std::current_exception();
        }
    };
    std::thread thread;
    try {
        thread = std::thread(guarded);
    } catch (const std::system_error&) {
        guarded();
    }
    std::exception_ptr secondFailed;
    try {
        second();
    } catch (...) {
        secondFailed = std::current_exception();
    }
    if (thread.joinable()) {
        thread.join();
    }
    if (firstFailed) {
        std::rethrow_exception(firstFailed);
    }
    if (secondFailed) {
        std::rethrow_exception(secondFailed);
    }
}
