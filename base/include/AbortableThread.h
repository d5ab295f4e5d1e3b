#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace Corvel {

/// A worker that runs `run` once on a thread of its own, can be waited for with a limit and
/// asked to stop at its next check. The thread is joined on every path: by `wait`, else by
/// the destructor of the class that implements `run` (it must call `join` first thing, as
/// its members die before this base's).
class AbortableThread {
public:
    AbortableThread() = default;
    AbortableThread(const AbortableThread&) = delete;
    AbortableThread& operator=(const AbortableThread&) = delete;
    virtual ~AbortableThread() { join(); }

    /// Starts the thread; a second start is ignored.
    void start() {
        if (worker_.joinable() || finished_)
            return;
        worker_ = std::thread([this] {
            run();
            {
                std::lock_guard<std::mutex> hold(lock_);
                finished_ = true;
            }
            done_.notify_all();
        });
    }
    /// Waits at most `milliseconds` for `run` to end; true when it has (or never started).
    bool wait(unsigned long milliseconds) {
        std::unique_lock<std::mutex> hold(lock_);
        if (!done_.wait_for(hold, std::chrono::milliseconds(milliseconds),
                            [this] { return finished_ || !worker_.joinable(); }))
            return false;
        hold.unlock();
        join();
        return true;
    }
    /// Waits without limit.
    void join() {
        if (worker_.joinable() && worker_.get_id() != std::this_thread::get_id())
            worker_.join();
    }
    /// Asks `run` to stop at its next check; does not wait.
    void abort() { abortRequested_.store(true, std::memory_order_relaxed); }
    bool aborted() const { return abortRequested_.load(std::memory_order_relaxed); }

protected:
    /// Must not let an exception out: that would end the process.
    virtual void run() = 0;

private:
    std::atomic<bool> abortRequested_{false};
    std::mutex lock_;
    std::condition_variable done_;
    bool finished_ = false;
    std::thread worker_;
};

}  // namespace Corvel
