#include "classification/RowWorkers.h"

#include "platform/ProcessorCount.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>

namespace classification {

unsigned RowWorkers::threadsFor(unsigned workerCount) {
    return workerCount != 0 ? workerCount : zqplatform::processorCount();
}

/// One run: its rows, its bands and what its threads share.
struct RowWorkers::Job {
    int firstRow, lastRow, bandRows, bandCount;
    unsigned stride;   // by thread: band b is thread b mod stride's own; 0: handed out
    const std::function<bool(int, unsigned)>& work;
    std::atomic<int> nextBand{0};
    std::atomic<bool> stop{false};
    std::atomic<bool> refused{false};
    std::unique_ptr<std::atomic<bool>[]> done;
    std::unique_ptr<std::atomic<bool>[]> claimed;   // by thread: the bands taken
    std::mutex errorLock;
    std::exception_ptr error;

    Job(int first, int last, int rowsPerBand, unsigned threadStride,
        const std::function<bool(int, unsigned)>& rowWork)
        : firstRow(first), lastRow(last), bandRows(std::max(rowsPerBand, 1)), bandCount(0),
          stride(threadStride), work(rowWork) {
        if (lastRow >= firstRow)
            bandCount = static_cast<int>(
                (static_cast<long long>(lastRow) - firstRow + bandRows) / bandRows);
        const std::size_t flags = static_cast<std::size_t>(std::max(bandCount, 1));
        done.reset(new std::atomic<bool>[flags]);
        claimed.reset(new std::atomic<bool>[flags]);
        for (int band = 0; band < bandCount; ++band) {
            done[band].store(false, std::memory_order_relaxed);
            claimed[band].store(false, std::memory_order_relaxed);
        }
    }

    int firstRowOf(int band) const { return firstRow + band * bandRows; }
    int lastRowOf(int band) const {
        return static_cast<int>(std::min<long long>(
            static_cast<long long>(firstRow) + (band + 1LL) * bandRows - 1, lastRow));
    }

    void keepFirstError(std::exception_ptr thrown) {
        {
            std::lock_guard<std::mutex> hold(errorLock);
            if (!error)
                error = std::move(thrown);
        }
        stop.store(true, std::memory_order_relaxed);
    }

    /// The next band for `thread`, or bandCount when none is left. `cursor` is the thread's
    /// own: by thread, it walks the thread's own bands first and then all the others, so that
    /// a thread that is held up elsewhere does not hold up the run.
    int nextBandFor(unsigned thread, long long& cursor) {
        if (stride == 0)
            return nextBand.fetch_add(1, std::memory_order_relaxed);
        const long long first = thread, step = stride, count = bandCount;
        const long long own = first < count ? (count - 1 - first) / step + 1 : 0;
        for (;; ++cursor) {
            const long long candidate = cursor < own ? first + cursor * step : cursor - own;
            if (candidate >= bandCount)
                return bandCount;
            if (!claimed[candidate].exchange(true, std::memory_order_relaxed)) {
                ++cursor;
                return static_cast<int>(candidate);
            }
        }
    }

    /// Takes bands until none is left or the run stops; `bandDone` follows each band.
    template <typename BandDone>
    void takeBands(unsigned thread, const BandDone& bandDone) {
        try {
            long long cursor = 0;
            for (;;) {
                if (stop.load(std::memory_order_relaxed))
                    return;
                const int band = nextBandFor(thread, cursor);
                if (band >= bandCount)
                    return;
                for (int row = firstRowOf(band); row <= lastRowOf(band); ++row) {
                    if (stop.load(std::memory_order_relaxed))
                        return;
                    if (!work(row, thread)) {
                        refused.store(true, std::memory_order_relaxed);
                        stop.store(true, std::memory_order_relaxed);
                        return;
                    }
                }
                done[band].store(true, std::memory_order_release);
                bandDone();
            }
        } catch (...) {
            keepFirstError(std::current_exception());
        }
    }
};

RowWorkers::RowWorkers(unsigned threadCount) {
    const unsigned wanted = std::max(threadCount, 1u) - 1;
    workers_.reserve(wanted);
    for (unsigned thread = 1; thread <= wanted; ++thread) {
        try {
            workers_.emplace_back([this, thread] { serve(thread); });
        } catch (...) {
            // No more threads to be had (std::system_error), or no memory for one: the team
            // works with those it has. Letting the exception out would leave the threads
            // already started unjoined, which ends the process.
            break;
        }
    }
}

RowWorkers::~RowWorkers() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& worker : workers_)
        worker.join();
}

void RowWorkers::serve(unsigned thread) {
    unsigned long seen = 0;
    for (;;) {
        Job* job = nullptr;
        {
            std::unique_lock<std::mutex> hold(lock_);
            wake_.wait(hold, [&] { return stopping_ || generation_ != seen; });
            if (stopping_)
                return;
            seen = generation_;
            job = job_;
        }
        job->takeBands(thread, [] {});
        {
            std::lock_guard<std::mutex> hold(lock_);
            --busy_;
        }
        finished_.notify_one();
    }
}

bool RowWorkers::run(int firstRow, int lastRow, int bandRows,
                     const std::function<bool(int row, unsigned thread)>& work,
                     const std::function<void(int row)>& rowDone) {
    return runJob(firstRow, lastRow, bandRows, false, work, rowDone);
}

bool RowWorkers::runJob(int firstRow, int lastRow, int bandRows, bool byThread,
                        const std::function<bool(int row, unsigned thread)>& work,
                        const std::function<void(int row)>& rowDone) {
    Job job(firstRow, lastRow, bandRows, byThread ? threads() : 0, work);
    int reported = 0;   // bands whose rows went to rowDone
    const auto reportDoneBands = [&] {
        while (reported < job.bandCount && job.done[reported].load(std::memory_order_acquire)) {
            for (int row = job.firstRowOf(reported); row <= job.lastRowOf(reported); ++row)
                rowDone(row);
            ++reported;
        }
    };
    // Only worth waking the workers when there is more than one band.
    const bool shared = !workers_.empty() && job.bandCount > 1;
    if (shared) {
        {
            std::lock_guard<std::mutex> hold(lock_);
            job_ = &job;
            busy_ = static_cast<unsigned>(workers_.size());
            ++generation_;
        }
        wake_.notify_all();
    }
    job.takeBands(0, reportDoneBands);
    if (shared) {
        // The job lives on this stack: every worker must have left it before it goes.
        std::unique_lock<std::mutex> hold(lock_);
        finished_.wait(hold, [this] { return busy_ == 0; });
        job_ = nullptr;
    }
    if (job.error)
        std::rethrow_exception(job.error);
    if (job.refused.load(std::memory_order_relaxed))
        return false;
    reportDoneBands();
    return true;
}

void RowWorkers::forEachRow(int firstRow, int lastRow, int bandRows, Bands bands,
                            const std::function<void(int row, unsigned thread)>& work) {
    runJob(
        firstRow, lastRow, bandRows, bands == Bands::byThread,
        [&work](int row, unsigned thread) {
            work(row, thread);
            return true;
        },
        [](int) {});
}

}  // namespace classification
