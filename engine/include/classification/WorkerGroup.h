#pragma once

#include "classification/JxExCancel.h"

#include <boost/thread/thread.hpp>

#include <atomic>
#include <exception>
#include <mutex>
#include <utility>
#include <vector>

namespace classification {

/// How the workers of one stage run ended. Workers record a cancellation or their first
/// failure here and every hand-out checks `stopped()`, so the others stop at their next task;
/// after the join the stage turns the record into its exception on the calling thread.
class WorkerOutcome {
public:
    /// Clears the flags and the kept failure before a run; no worker may be running.
    void reset();

    void markCancelled() noexcept;
    /// Keeps the first failure only: later ones are usually consequences of it.
    void markFailed(std::exception_ptr failure) noexcept;
    /// Asks running workers to stop without marking the run as cancelled or failed; used when
    /// the calling thread itself leaves with an exception while workers run.
    void requestStop() noexcept;

    bool stopped() const noexcept {
        return cancelled_.load(std::memory_order_relaxed) ||
               failed_.load(std::memory_order_relaxed) ||
               stopRequested_.load(std::memory_order_relaxed);
    }

    /// After the join: JxExCancel when a worker was cancelled (whatever else happened); else
    /// std::bad_alloc when the first failure was a memory exhaustion, so that the caller can
    /// recover from it; else the text "Unhandled exception in worker thread.". Returns when no
    /// worker was cancelled or failed.
    void throwIfStopped() const;

private:
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> failed_{false};
    std::atomic<bool> stopRequested_{false};
    mutable std::mutex failureLock_;
    std::exception_ptr firstFailure_;
};

/// The worker threads of one stage run. Every started thread is joined before the group is
/// destroyed: by `join()` on the normal path, by the destructor (after asking the workers to
/// stop) when the calling thread leaves with an exception while workers run. A worker body
/// never lets an exception out of its thread; its outcome goes to the WorkerOutcome.
class WorkerGroup {
public:
    WorkerGroup(WorkerOutcome& outcome, unsigned expectedThreads);
    WorkerGroup(const WorkerGroup&) = delete;
    WorkerGroup& operator=(const WorkerGroup&) = delete;
    ~WorkerGroup();

    /// Starts a thread running `body()`. Throws when the platform refuses the thread; the
    /// threads already started keep running until joined.
    template <typename Body>
    void start(Body body) {
        threads_.reserve(threads_.size() + 1);   // so that a started thread is never lost
        threads_.emplace_back([this, work = std::move(body)]() mutable { runGuarded(work); });
    }

    /// Joins every started thread.
    void join();

private:
    template <typename Body>
    void runGuarded(Body& body) noexcept;

    WorkerOutcome& outcome_;
    std::vector<boost::thread> threads_;
};

/// The number of worker threads of a stage: `requested`, or one per processor when it is 0;
/// never less than one.
unsigned workerThreadCount(unsigned requested);

template <typename Body>
void WorkerGroup::runGuarded(Body& body) noexcept {
    try {
        body();
    } catch (const JxExCancel&) {
        outcome_.markCancelled();
    } catch (...) {
        outcome_.markFailed(std::current_exception());
    }
}

}  // namespace classification
