#include "classification/WorkerGroup.h"

#include <new>
#include <thread>

namespace classification {

void WorkerOutcome::reset() {
    cancelled_.store(false);
    failed_.store(false);
    stopRequested_.store(false);
    std::lock_guard<std::mutex> hold(failureLock_);
    firstFailure_ = nullptr;
}

void WorkerOutcome::markCancelled() noexcept { cancelled_.store(true); }

void WorkerOutcome::markFailed(std::exception_ptr failure) noexcept {
    try {
        std::lock_guard<std::mutex> hold(failureLock_);
        if (!firstFailure_)
            firstFailure_ = std::move(failure);
    } catch (...) {
        // The flag below still stops the run; only the kind of the failure is lost.
    }
    failed_.store(true);
}

void WorkerOutcome::requestStop() noexcept { stopRequested_.store(true); }

void WorkerOutcome::throwIfStopped() const {
    if (cancelled_.load())
        throw JxExCancel();
    if (!failed_.load())
        return;
    std::exception_ptr failure;
    {
        std::lock_guard<std::mutex> hold(failureLock_);
        failure = firstFailure_;
    }
    if (failure) {
        try {
            std::rethrow_exception(failure);
        } catch (const std::bad_alloc&) {
            throw std::bad_alloc();
        } catch (...) {
        }
    }
    throw "Unhandled exception in worker thread.";
}

WorkerGroup::WorkerGroup(WorkerOutcome& outcome, unsigned expectedThreads) : outcome_(outcome) {
    threads_.reserve(expectedThreads);
}

WorkerGroup::~WorkerGroup() {
    bool running = false;
    for (const boost::thread& thread : threads_)
        running = running || thread.joinable();
    if (running)
        outcome_.requestStop();
    join();
}

void WorkerGroup::join() {
    for (boost::thread& thread : threads_)
        if (thread.joinable())
            thread.join();
}

unsigned workerThreadCount(unsigned requested) {
    if (requested != 0)
        return requested;
    const unsigned processors = std::thread::hardware_concurrency();
    return processors == 0 ? 1 : processors;
}

}  // namespace classification
