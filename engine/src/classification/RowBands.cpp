#include "classification/RowBands.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace classification {

unsigned processorCount() { return std::max(1u, std::thread::hardware_concurrency()); }

RowBands::RowBands(int firstRow, int lastRow, int bandRows, unsigned threadCount)
    : firstRow_(firstRow), lastRow_(lastRow), bandRows_(std::max(bandRows, 1)), bandCount_(0),
      threads_(1) {
    if (lastRow_ >= firstRow_)
        bandCount_ = static_cast<int>(
            (static_cast<long long>(lastRow_) - firstRow_ + bandRows_) / bandRows_);
    threads_ = std::max(1u, std::min(threadCount, static_cast<unsigned>(std::max(bandCount_, 1))));
}

namespace {

/// What the threads of one run share.
struct BandState {
    std::atomic<int> nextBand{0};
    std::atomic<bool> stop{false};
    std::atomic<bool> refused{false};
    std::unique_ptr<std::atomic<bool>[]> done;
    std::mutex errorLock;
    std::exception_ptr error;

    explicit BandState(int bandCount) : done(new std::atomic<bool>[bandCount > 0 ? bandCount : 1]) {
        for (int band = 0; band < bandCount; ++band)
            done[band].store(false, std::memory_order_relaxed);
    }

    void keepFirstError(std::exception_ptr thrown) {
        {
            std::lock_guard<std::mutex> hold(errorLock);
            if (!error)
                error = std::move(thrown);
        }
        stop.store(true, std::memory_order_relaxed);
    }
};

/// Owns the worker threads: stops and joins them on every way out of the run.
class WorkerThreads {
public:
    explicit WorkerThreads(BandState& state) : state_(state) {}
    ~WorkerThreads() {
        state_.stop.store(true, std::memory_order_relaxed);
        join();
    }
    WorkerThreads(const WorkerThreads&) = delete;
    WorkerThreads& operator=(const WorkerThreads&) = delete;

    template <typename Function>
    void start(Function function) {
        try {
            threads_.emplace_back(std::move(function));
        } catch (const std::system_error&) {
            // No thread to be had: the threads already running take its bands.
        }
    }

    void join() {
        for (std::thread& thread : threads_)
            if (thread.joinable())
                thread.join();
    }

private:
    BandState& state_;
    std::vector<std::thread> threads_;
};

}  // namespace

bool RowBands::run(const std::function<bool(int row, unsigned thread)>& work,
                   const std::function<void(int row)>& rowDone) {
    BandState state(bandCount_);
    int reported = 0;   // bands whose rows went to rowDone
    const auto firstRowOf = [this](int band) { return firstRow_ + band * bandRows_; };
    const auto lastRowOf = [this](int band) {
        return static_cast<int>(
            std::min<long long>(static_cast<long long>(firstRow_) + (band + 1LL) * bandRows_ - 1,
                                lastRow_));
    };
    const auto reportDoneBands = [&] {
        while (reported < bandCount_ && state.done[reported].load(std::memory_order_acquire)) {
            for (int row = firstRowOf(reported); row <= lastRowOf(reported); ++row)
                rowDone(row);
            ++reported;
        }
    };
    // Takes bands until none is left or the run stops; the calling thread reports as it goes.
    const auto takeBands = [&](unsigned thread) {
        try {
            for (;;) {
                if (state.stop.load(std::memory_order_relaxed))
                    return;
                const int band = state.nextBand.fetch_add(1, std::memory_order_relaxed);
                if (band >= bandCount_)
                    return;
                for (int row = firstRowOf(band); row <= lastRowOf(band); ++row) {
                    if (state.stop.load(std::memory_order_relaxed))
                        return;
                    if (!work(row, thread)) {
                        state.refused.store(true, std::memory_order_relaxed);
                        state.stop.store(true, std::memory_order_relaxed);
                        return;
                    }
                }
                state.done[band].store(true, std::memory_order_release);
                if (thread == 0)
                    reportDoneBands();
            }
        } catch (...) {
            state.keepFirstError(std::current_exception());
        }
    };

    {
        WorkerThreads workers(state);
        for (unsigned thread = 1; thread < threads_; ++thread)
            workers.start([&takeBands, thread] { takeBands(thread); });
        takeBands(0);
        workers.join();
    }
    if (state.error)
        std::rethrow_exception(state.error);
    if (state.refused.load(std::memory_order_relaxed))
        return false;
    reportDoneBands();
    return true;
}

}  // namespace classification
