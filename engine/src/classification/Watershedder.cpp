#include "classification/GlobalClassification.h"

#include "classification/JxExCancel.h"
#include "platform/ProcessorCount.h"
#include "watershed/ColourSpaceWatershed.h"
#include "watershed/WatershedFlood.h"

#include <algorithm>
#include <exception>
#include <new>
#include <thread>
#include <vector>

namespace classification {

namespace {

/// Joins every started thread when it goes out of scope, so no path leaves one running.
class JoinAll {
public:
    explicit JoinAll(std::vector<std::thread>& threads) : threads_(threads) {}
    ~JoinAll() { join(); }
    void join() {
        for (std::thread& thread : threads_)
            if (thread.joinable())
                thread.join();
    }

private:
    std::vector<std::thread>& threads_;
};

}  // namespace

void GlobalClassification<unsigned char, 6, int>::runWatershedders(ProgressRange range) {
    runWatershedders(range, zqplatform::processorCount());
}

void GlobalClassification<unsigned char, 6, int>::runWatershedders(ProgressRange,
                                                                   unsigned workerCount) {
    {
        std::lock_guard<std::mutex> hold(lock_);
        levelCounter_ = levelCount - 1;
        cancelled_ = false;
        failed_ = false;
        firstFailure_ = nullptr;
    }
    const unsigned workers = std::max(1u, workerCount);
    std::vector<std::thread> threads;
    threads.reserve(workers);
    JoinAll joinAll(threads);
    try {
        for (unsigned k = 0; k < workers; ++k)
            threads.emplace_back(Watershedder<levelCount>(*this));
    } catch (...) {
        // The started workers still use the tables: stop them handing out levels; the
        // guard joins them before the error leaves.
        Watershedder<levelCount>(*this).markFailed();
        throw;
    }
    joinAll.join();
    if (cancelled_)
        throw JxExCancel();
    if (failed_) {
        std::exception_ptr first;
        {
            std::lock_guard<std::mutex> hold(lock_);
            first.swap(firstFailure_);
        }
        // Running out of memory is the caller's to report as such, not a fault of the engine.
        try {
            if (first)
                std::rethrow_exception(first);
        } catch (const std::bad_alloc&) {
            throw;
        } catch (...) {
        }
        throw "Unhandled exception in worker thread.";
    }
}

template <int Levels>
void GlobalClassification<unsigned char, 6, int>::Watershedder<Levels>::operator()() {
    try {
        for (int level = takeNextLevel(); level != -1; level = takeNextLevel()) {
            ColourSpaceWatershed member(tables_[level], allocators_[static_cast<std::size_t>(level)]);
            WatershedFlood<ColourSpaceWatershed>(member).floodInner(ProgressRange());
            classCounts_[static_cast<std::size_t>(level)] =
                allocators_[static_cast<std::size_t>(level)].next;
        }
    } catch (const JxExCancel&) {
        markCancelled();
    } catch (...) {
        markFailed();
    }
}

template <int Levels>
int GlobalClassification<unsigned char, 6, int>::Watershedder<Levels>::takeNextLevel() {
    std::lock_guard<std::mutex> hold(classifier_.lock_);
    if (classifier_.cancelled_ || classifier_.failed_)
        return -1;
    const int level = classifier_.levelCounter_;
    if (level != -1)
        --classifier_.levelCounter_;
    return level;
}

template <int Levels>
void GlobalClassification<unsigned char, 6, int>::Watershedder<Levels>::markCancelled() {
    std::lock_guard<std::mutex> hold(classifier_.lock_);
    classifier_.cancelled_ = true;
}

template <int Levels>
void GlobalClassification<unsigned char, 6, int>::Watershedder<Levels>::markFailed() {
    std::lock_guard<std::mutex> hold(classifier_.lock_);
    classifier_.failed_ = true;
    if (!classifier_.firstFailure_)
        classifier_.firstFailure_ = std::current_exception();
}

template class GlobalClassification<unsigned char, 6, int>::Watershedder<7>;

}  // namespace classification
