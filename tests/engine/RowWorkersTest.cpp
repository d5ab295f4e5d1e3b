#include "classification/RowWorkers.h"

#include "classification/JxExCancel.h"
#include "platform/ProcessorCount.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <new>
#include <stdexcept>
#include <thread>
#include <vector>

using classification::RowWorkers;

namespace {

/// A counter per row of first .. last, shared by the threads of a run.
struct RowCounts {
    int first;
    std::unique_ptr<std::atomic<int>[]> counts;
    RowCounts(int firstRow, int lastRow)
        : first(firstRow), counts(new std::atomic<int>[lastRow - firstRow + 1]) {
        for (int k = 0; k <= lastRow - firstRow; ++k)
            counts[k] = 0;
    }
    std::atomic<int>& operator[](int row) { return counts[row - first]; }
};

}  // namespace

TEST(RowWorkers, EveryRowRunsOnceAndIsReportedInOrderOnTheCallingThread) {
    struct Case { int first, last, bandRows; };
    const Case cases[] = {{5, 104, 7}, {0, 99, 1}, {-4, 4, 2}, {3, 3, 8}, {0, 63, 8}};
    for (unsigned threads : {1u, 3u, 8u}) {
        // One team serves run after run.
        RowWorkers team(threads);
        EXPECT_EQ(team.threads(), threads);
        for (const Case& k : cases) {
            SCOPED_TRACE(testing::Message() << k.first << ".." << k.last << " bands of "
                                            << k.bandRows << " on " << threads);
            RowCounts counts(k.first, k.last);
            std::atomic<bool> badThread{false};
            std::vector<int> reported;
            const std::thread::id caller = std::this_thread::get_id();
            const bool finished = team.run(
                k.first, k.last, k.bandRows,
                [&](int row, unsigned thread) {
                    if (thread >= team.threads())
                        badThread = true;
                    ++counts[row];
                    return true;
                },
                [&](int row) {
                    EXPECT_EQ(std::this_thread::get_id(), caller);
                    reported.push_back(row);
                });
            EXPECT_TRUE(finished);
            EXPECT_FALSE(badThread);
            ASSERT_EQ(static_cast<int>(reported.size()), k.last - k.first + 1);
            for (int row = k.first; row <= k.last; ++row) {
                EXPECT_EQ(counts[row], 1) << row;
                EXPECT_EQ(reported[static_cast<std::size_t>(row - k.first)], row);
            }
        }
    }
}

TEST(RowWorkers, MemoryExhaustionComesBackAsSuchWhicheverThreadRanOut) {
    // Every row fails, so whichever thread takes the first band fails with it.
    for (unsigned threads : {1u, 4u}) {
        SCOPED_TRACE(threads);
        RowWorkers team(threads);
        EXPECT_THROW(team.forEachRow(0, 63, 1, RowWorkers::Bands::handedOut,
                                     [](int, unsigned) { throw std::bad_alloc(); }),
                     std::bad_alloc);
    }
}

TEST(RowWorkers, ASessionWorkerCountOfZeroMeansOneThreadPerProcessor) {
    EXPECT_EQ(RowWorkers::threadsFor(0), zqplatform::processorCount());
    EXPECT_EQ(RowWorkers::threadsFor(3), 3u);
    EXPECT_EQ(RowWorkers(RowWorkers::threadsFor(2)).threads(), 2u);
}

TEST(RowWorkers, AnEmptyRangeRunsNothing) {
    RowWorkers team(4);
    EXPECT_EQ(RowWorkers(0).threads(), 1u);
    EXPECT_TRUE(team.run(
        4, 3, 2, [](int, unsigned) -> bool { throw std::logic_error("no rows"); },
        [](int) { throw std::logic_error("no rows"); }));
}

TEST(RowWorkers, AWorkThatRefusesStopsTheRunAndLaterRowsAreNotReported) {
    for (unsigned threads : {1u, 4u}) {
        SCOPED_TRACE(threads);
        RowWorkers team(threads);
        std::vector<int> reported;
        EXPECT_FALSE(team.run(
            0, 199, 4, [](int row, unsigned) { return row != 50; },
            [&](int row) { reported.push_back(row); }));
        for (int row : reported)
            EXPECT_LT(row, 50);
        // The team is fit for the next run.
        std::atomic<int> rows{0};
        team.forEachRow(0, 99, 3, RowWorkers::Bands::byThread, [&rows](int, unsigned) { ++rows; });
        EXPECT_EQ(rows, 100);
    }
}

TEST(RowWorkers, TheFirstExceptionComesBackOnceEveryThreadIsBack) {
    struct Case { bool fromReport; };
    for (const Case k : {Case{false}, Case{true}}) {
        for (unsigned threads : {1u, 5u}) {
            SCOPED_TRACE(testing::Message() << (k.fromReport ? "report" : "work") << ", "
                                            << threads << " threads");
            RowWorkers team(threads);
            std::atomic<int> busy{0};
            std::atomic<int> calls{0};
            const auto run = [&] {
                team.run(
                    0, 299, 3,
                    [&](int row, unsigned) {
                        ++busy;
                        ++calls;
                        std::this_thread::yield();
                        --busy;
                        if (!k.fromReport && row == 40)
                            throw std::runtime_error("row 40");
                        return true;
                    },
                    [&](int row) {
                        if (k.fromReport && row == 10)
                            throw JxExCancel();
                    });
            };
            if (k.fromReport) {
                EXPECT_THROW(run(), JxExCancel);
            } else {
                // The very exception that was thrown, message included.
                try {
                    run();
                    ADD_FAILURE() << "no exception";
                } catch (const std::runtime_error& error) {
                    EXPECT_STREQ(error.what(), "row 40");
                }
            }
            // Every thread is back: nothing runs any more.
            const int after = calls;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            EXPECT_EQ(busy, 0);
            EXPECT_EQ(calls, after);
            // Alone, the caller stops at once: after row 40, or after the band of row 10
            // (rows 9 to 11). Workers may get further before they see the stop.
            if (threads == 1) {
                EXPECT_EQ(after, k.fromReport ? 12 : 41);
            }
        }
    }
}

TEST(RowWorkers, BandsByThreadRunEveryRowOnceAndAloneOnTheCaller) {
    for (unsigned threads : {1u, 3u}) {
        SCOPED_TRACE(threads);
        RowWorkers team(threads);
        RowCounts counts(0, 49);
        std::vector<unsigned> owner(50);
        team.forEachRow(0, 49, 4, RowWorkers::Bands::byThread, [&](int row, unsigned thread) {
            ++counts[row];
            owner[static_cast<std::size_t>(row)] = thread;
        });
        for (int row = 0; row < 50; ++row) {
            EXPECT_EQ(counts[row], 1) << row;
            if (threads == 1) {
                EXPECT_EQ(owner[static_cast<std::size_t>(row)], 0u);
            }
        }
    }
}
