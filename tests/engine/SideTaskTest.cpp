#include "classification/SideTask.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

using classification::SideTask;

TEST(SideTask, RunsBesideTheCallerAndIsDoneAfterTheWait) {
    std::atomic<bool> callerWent{false};
    std::atomic<bool> sawCaller{false};
    SideTask task([&] {
        // Runs on its own thread: it sees the caller's progress while it runs.
        for (int k = 0; k < 2000 && !callerWent; ++k)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        sawCaller = callerWent.load();
    });
    callerWent = true;
    task.wait();
    EXPECT_TRUE(sawCaller);
}

TEST(SideTask, TheTasksExceptionComesBackFromTheWait) {
    SideTask task([] { throw std::runtime_error("side"); });
    EXPECT_THROW(task.wait(), std::runtime_error);
    EXPECT_NO_THROW(task.wait());   // handed on once
}

TEST(SideTask, LeavingTheScopeJoinsTheThread) {
    std::atomic<bool> finished{false};
    {
        SideTask task([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            finished = true;
        });
    }
    EXPECT_TRUE(finished);
}
