#include "classification/SideTask.h"

#include <system_error>
#include <utility>

namespace classification {

SideTask::SideTask(std::function<void()> task) : task_(std::move(task)) {
    const auto run = [this] {
        try {
            task_();
        } catch (...) {
            // Never out of the thread: wait() hands it on after the join.
            error_ = std::current_exception();
        }
    };
    try {
        thread_ = std::thread(run);
    } catch (const std::system_error&) {
        run();
    }
}

SideTask::~SideTask() {
    if (thread_.joinable())
        thread_.join();
}

void SideTask::wait() {
    if (thread_.joinable())
        thread_.join();
    if (error_)
        std::rethrow_exception(std::exchange(error_, nullptr));
}

}  // namespace classification
