#pragma once

#include "classification/JxInterface.h"
#include "classification/JxProgressClock.h"

#include <chrono>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace enginetest {

/// Makes the progress clock a hand-driven one for the lifetime of the object.
class ManualClock {
public:
    ManualClock() : previous_(JxProgressClock::setSource(&ManualClock::read)) {
        now_ = JxProgressClock::TimePoint(std::chrono::hours(1));
    }
    ~ManualClock() { JxProgressClock::setSource(previous_); }
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;

    void advance(std::chrono::microseconds step) { now_ += step; }

private:
    static JxProgressClock::TimePoint read() { return now_; }
    static inline JxProgressClock::TimePoint now_{};
    JxProgressClock::Source previous_;
};

/// A progress callback that records what it receives and answers as told.
struct ProgressLog {
    static inline std::vector<int> percents;
    static inline std::vector<int> userData;
    static inline std::int32_t answer = 0;
    static inline bool throwOnCall = false;

    static void reset() {
        percents.clear();
        userData.clear();
        answer = 0;
        throwOnCall = false;
    }

    static std::int32_t record(std::uint8_t percent, std::int32_t data) {
        percents.push_back(percent);
        userData.push_back(data);
        if (throwOnCall)
            throw std::runtime_error("callback failed");
        return answer;
    }
};

/// A progress callback that notes the thread of every call. Locked, so that a callback called
/// from several threads at once (the fault it looks for) is recorded instead of racing.
struct ReportThreads {
    static inline std::mutex lock;
    static inline std::vector<std::thread::id> threads;

    static void reset() {
        std::lock_guard<std::mutex> hold(lock);
        threads.clear();
    }
    static std::int32_t record(std::uint8_t, std::int32_t) {
        std::lock_guard<std::mutex> hold(lock);
        threads.push_back(std::this_thread::get_id());
        return 0;
    }
    /// The calls made on any thread but `caller`.
    static int callsOffThread(std::thread::id caller) {
        std::lock_guard<std::mutex> hold(lock);
        int count = 0;
        for (const std::thread::id& thread : threads)
            count += thread == caller ? 0 : 1;
        return count;
    }
    static int calls() {
        std::lock_guard<std::mutex> hold(lock);
        return static_cast<int>(threads.size());
    }
};

}  // namespace enginetest
