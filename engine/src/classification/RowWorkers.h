#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace classification {

/// The engine's one way to run work on several threads: a team of threads that work through
/// the rows of a range (image rows, or any numbered tasks) together with the calling thread.
/// The workers start with the team and wait between runs; the destructor stops and joins them,
/// on every path. Rows are handed out in bands of consecutive rows; a band's rows run on one
/// thread, in order, and the bands in parallel, so the work of a row may only read what all
/// rows share and write what is its own row's. Rows are then done in an order that depends on
/// the threads, but each row's result does not.
///
/// Progress belongs to the calling thread alone: workers only mark their bands done, and the
/// calling thread reports them, in row order, so that the reports of a run are the same
/// whichever thread did which row. A failure on any thread stops the others at their next row
/// and comes back, once all are back, as the very exception that was thrown (its type and
/// message kept). One thread at a time may run the team.
class RowWorkers {
public:
    /// At most `threadCount` threads (at least 1) counting the caller's. A worker that cannot
    /// be started leaves its share to the others.
    explicit RowWorkers(unsigned threadCount);
    ~RowWorkers();
    RowWorkers(const RowWorkers&) = delete;
    RowWorkers& operator=(const RowWorkers&) = delete;

    /// The size of a team for a session's worker count: `workerCount`, or one thread per
    /// processor the process may use when it is 0.
    static unsigned threadsFor(unsigned workerCount);

    /// The threads of the team, the caller's included; `work`'s thread numbers are below it.
    unsigned threads() const { return static_cast<unsigned>(workers_.size()) + 1; }

    /// Calls `work(row, thread)` for every row `firstRow` .. `lastRow` (none when `lastRow` <
    /// `firstRow`) in bands of `bandRows` (at least 1), `thread` being 0 on the calling thread
    /// and 1 .. threads() - 1 on the workers; each thread number is in use by one thread at a
    /// time. On the calling thread only, `rowDone(row)` is called for every row whose band and
    /// all earlier bands are done, in row order (the progress of a pass that reports per row).
    /// Returns false as soon as a `work` returned false: the other threads stop at their next
    /// row, and no later row is reported. When a `work` or `rowDone` throws, every thread stops
    /// at its next row and, once all are back, the first exception is rethrown.
    bool run(int firstRow, int lastRow, int bandRows,
             const std::function<bool(int row, unsigned thread)>& work,
             const std::function<void(int row)>& rowDone);

    /// How bands go to threads: handed out to whichever thread is free, or by thread: band b
    /// belongs to thread b mod threads(), so that two runs over the same rows mostly put each
    /// row on the same thread (memory a thread allocated is freed fastest by that thread). A
    /// thread that is done with its own bands takes those still waiting for theirs, so that a
    /// thread the system holds up does not hold up the run.
    enum class Bands { handedOut, byThread };

    /// run() for work that never refuses a row and reports nothing; an exception of `work`
    /// still stops the run and comes back.
    void forEachRow(int firstRow, int lastRow, int bandRows, Bands bands,
                    const std::function<void(int row, unsigned thread)>& work);

    struct Job;

private:
    bool runJob(int firstRow, int lastRow, int bandRows, bool byThread,
                const std::function<bool(int row, unsigned thread)>& work,
                const std::function<void(int row)>& rowDone);
    void serve(unsigned thread);

    std::vector<std::thread> workers_;
    std::mutex lock_;
    std::condition_variable wake_;       // a job was posted, or the team stops
    std::condition_variable finished_;   // a worker left the job
    Job* job_ = nullptr;
    unsigned long generation_ = 0;       // counts the jobs posted
    unsigned busy_ = 0;                  // workers still in the job
    bool stopping_ = false;
};

}  // namespace classification
