#include "render/run_together.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

namespace figury {

namespace {

// One thread kept for the whole run and woken for each job: starting a
// thread costs a millisecond or more under Wine, waking one far less.
class SecondThread {
public:
    // Hands job over and waits for it to end while running second; false,
    // with nothing run, when the thread is busy with another caller's job.
    bool run(const std::function<void()>& job, const std::function<void()>& second) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (taken_) {
                return false;
            }
            taken_ = true;
            job_ = &job;
            failed_ = nullptr;
        }
        wake_.notify_one();
        std::exception_ptr secondFailed;
        try {
            second();
        } catch (...) {
            secondFailed = std::current_exception();
        }
        std::exception_ptr firstFailed;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            done_.wait(lock, [this] { return job_ == nullptr; });
            firstFailed = failed_;
            taken_ = false;
        }
        if (firstFailed) {
            std::rethrow_exception(firstFailed);
        }
        if (secondFailed) {
            std::rethrow_exception(secondFailed);
        }
        return true;
    }

    void serve() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return job_ != nullptr; });
            const std::function<void()>* job = job_;
            lock.unlock();
            std::exception_ptr failed;
            try {
                (*job)();
            } catch (...) {
                failed = std::current_exception();
            }
            lock.lock();
            failed_ = failed;
            job_ = nullptr;
            done_.notify_one();
        }
    }

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    bool taken_ = false;                          // a caller's job is on, or is being handed over
    const std::function<void()>* job_ = nullptr;  // set until the job has ended
    std::exception_ptr failed_;
};

// Started at the first use and never ended: it waits for work until the
// process exits, so nothing has to stop it at exit.
SecondThread* startSecondThread() {
    auto* thread = new SecondThread;
    try {
        std::thread(&SecondThread::serve, thread).detach();
    } catch (const std::system_error&) {
        delete thread;
        return nullptr;
    }
    return thread;
}

// Runs first on the second thread and second on the caller's, and returns
// when both have ended; where the second thread cannot be had, first runs on
// the caller's before second. What either throws is thrown on, first's first.
void runTogether(const std::function<void()>& first, const std::function<void()>& second) {
    static SecondThread* const secondThread = startSecondThread();
    if (secondThread == nullptr || !secondThread->run(first, second)) {
        first();
        second();
    }
}

class SystemSchedule final : public Schedule {
public:
    bool worthTwoThreads(size_t count, size_t minimum) const override {
        static const bool twoCores = std::thread::hardware_concurrency() > 1;
        return twoCores && count >= minimum;
    }

    void run(const SharedJob& job) const override {
        std::atomic<size_t> nextBatch{0};
        const auto share = [&job, &nextBatch](const std::function<void()>& part, Thread thread) {
            if (part) {
                part();
            }
            for (size_t batch = nextBatch++; batch < job.batches; batch = nextBatch++) {
                job.take(batch, thread);
            }
        };
        runTogether([&] { share(job.secondPart, Thread::second); },
                    [&] { share(job.callerPart, Thread::caller); });
    }
};

}  // namespace

const Schedule& systemSchedule() {
    static const SystemSchedule schedule;
    return schedule;
}

}  // namespace figury
