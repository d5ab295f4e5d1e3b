#include "common/PooledWork.h"

#include <QThreadPool>

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

namespace {

TEST(PooledWork, EveryPieceRunsExactlyOnceWhateverTheHelpers) {
    for (int helpers : {0, 1, 3, 64}) {
        std::vector<std::atomic<int>> runs(500);
        runPooled(int(runs.size()), helpers, [&](int i) { runs[i].fetch_add(1); });
        for (std::size_t i = 0; i < runs.size(); ++i)
            ASSERT_EQ(runs[i].load(), 1) << "piece " << i << " with " << helpers << " helpers";
    }
    bool called = false;
    runPooled(0, 4, [&](int) { called = true; });
    EXPECT_FALSE(called);
}

// A pool whose one thread is held by the test: the helpers asked of it never come while the
// call runs, as when the system gives no thread. The calling thread must do all the work and
// return without waiting for them.
TEST(PooledWork, WithNoThreadToBeHadTheCallerDoesEveryPieceAndReturns) {
    QThreadPool pool;
    pool.setMaxThreadCount(1);
    std::mutex lock;
    std::condition_variable changed;
    bool holding = false;
    bool released = false;
    pool.start([&] {
        std::unique_lock<std::mutex> hold(lock);
        holding = true;
        changed.notify_all();
        changed.wait(hold, [&] { return released; });
        holding = false;
        changed.notify_all();
    });
    {
        std::unique_lock<std::mutex> hold(lock);
        changed.wait(hold, [&] { return holding; });
    }

    const std::thread::id caller = std::this_thread::get_id();
    std::vector<std::thread::id> ranOn(40);
    runPooled(int(ranOn.size()), 3, [&](int i) { ranOn[i] = std::this_thread::get_id(); }, &pool);
    for (const std::thread::id& id : ranOn)
        EXPECT_EQ(id, caller);

    // The held task's end is awaited here, under the lock: waitForDone orders its last touch
    // of these locals before their end too, but inside Qt's library, where the thread check
    // cannot see it.
    {
        std::unique_lock<std::mutex> hold(lock);
        released = true;
        changed.notify_all();
        changed.wait(hold, [&] { return !holding; });
    }
    // The queued helpers start now, find nothing left and leave without touching a piece.
    pool.waitForDone();
}

TEST(PooledWork, TheFirstExceptionComesOutAsItselfAndStopsThePiecesNotYetBegun) {
    std::vector<int> ran;
    EXPECT_THROW(runPooled(10, 0,
                           [&](int i) {
                               ran.push_back(i);
                               if (i == 3)
                                   throw std::bad_alloc();
                           }),
                 std::bad_alloc);
    EXPECT_EQ(ran, (std::vector<int>{0, 1, 2, 3}));

    // With helpers the pieces begun meanwhile depend on the threads' timing; what comes out
    // does not.
    EXPECT_THROW(runPooled(200, 3,
                           [](int i) {
                               if (i % 7 == 0)
                                   throw std::bad_alloc();
                           }),
                 std::bad_alloc);
}

}  // namespace
