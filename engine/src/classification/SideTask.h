#pragma once

#include <exception>
#include <functional>
#include <thread>

namespace classification {

/// Runs one function on a thread of its own while the caller goes on with other work. The
/// thread is joined by wait() or, on every other way out, by the destructor. When no thread
/// can be started the function runs at once on the calling thread.
class SideTask {
public:
    explicit SideTask(std::function<void()> task);
    ~SideTask();
    SideTask(const SideTask&) = delete;
    SideTask& operator=(const SideTask&) = delete;

    /// Joins the thread and rethrows what the function threw, if anything.
    void wait();

private:
    std::function<void()> task_;
    std::exception_ptr error_;
    std::thread thread_;
};

}  // namespace classification
