#pragma once

#include <functional>

namespace classification {

/// The number of processors, at least 1: how many threads work that may use them all runs on.
unsigned processorCount();

/// Hands the rows of a range out in bands of consecutive rows to the calling thread and to
/// worker threads that it starts and joins before it returns, on every path. A band's rows
/// run on one thread, in order; the bands run in parallel, so the work of a row may only read
/// what all rows share and write what is its own row's. Rows are then done in an order that
/// depends on the threads, but each row's result does not.
class RowBands {
public:
    /// The rows `firstRow` .. `lastRow` (none when `lastRow` < `firstRow`), in bands of
    /// `bandRows` (at least 1), on at most `threadCount` threads (at least 1) counting the
    /// caller's.
    RowBands(int firstRow, int lastRow, int bandRows, unsigned threadCount);

    /// The threads `run` uses: threadCount, but no more than there are bands. `work`'s thread
    /// numbers are below it.
    unsigned threads() const { return threads_; }

    /// Calls `work(row, thread)` for every row, `thread` being 0 on the calling thread and
    /// 1 .. threads() - 1 on the workers; each thread number is in use by one thread at a
    /// time. On the calling thread only, `rowDone(row)` is called for every row whose band and
    /// all earlier bands are done, in row order (the progress of a stage that reports per
    /// row). Returns false as soon as a `work` returned false: the other threads stop at their
    /// next row, and no later row is reported. When a `work` or `rowDone` throws, every thread
    /// stops at its next row and, once all are joined, the first exception is rethrown. A
    /// worker that cannot be started leaves its bands to the others.
    bool run(const std::function<bool(int row, unsigned thread)>& work,
             const std::function<void(int row)>& rowDone);

private:
    int firstRow_, lastRow_, bandRows_, bandCount_;
    unsigned threads_;
};

}  // namespace classification
