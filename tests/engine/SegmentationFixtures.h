#pragma once

#include "classification/AnalysisImage.h"
#include "classification/Histogram1D.h"
#include "classification/JxExCancel.h"
#include "classification/Segmentation.h"

#include "IiUI.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace segtest {

using classification::AnalysisImage;
using classification::AnalysisPixel;
using classification::IntBox;

/// Records every report; `onReport` may throw to play a cancelling or failing reporter.
class RecordingUI : public Corvel::utility::IiUI {
public:
    struct Report {
        float fraction;
        std::string message;
        bool onCallingThread;
    };

    std::function<void(const Report&, int index)> onReport;

    void progress(float fraction, const std::string& message) override {
        Report report{fraction, message, std::this_thread::get_id() == caller_};
        int index;
        {
            std::lock_guard<std::mutex> hold(lock_);
            reports_.push_back(report);
            index = static_cast<int>(reports_.size()) - 1;
        }
        if (onReport)
            onReport(report, index);
    }

    std::vector<Report> reports() const {
        std::lock_guard<std::mutex> hold(lock_);
        return reports_;
    }
    void clear() {
        std::lock_guard<std::mutex> hold(lock_);
        reports_.clear();
    }
    int countMessages(const std::string& needle) const {
        int count = 0;
        for (const Report& report : reports())
            if (report.message.find(needle) != std::string::npos)
                ++count;
        return count;
    }

private:
    std::thread::id caller_ = std::this_thread::get_id();
    mutable std::mutex lock_;
    std::vector<Report> reports_;
};

/// An image over `box` whose pixel (x, y) has value(x, y) in every channel.
inline AnalysisImage imageOf(const IntBox& box, const std::function<int(int, int)>& value) {
    AnalysisImage image(blitz::Range(box.lower[0], box.upper[0]),
                        blitz::Range(box.lower[1], box.upper[1]));
    for (int x = box.lower[0]; x <= box.upper[0]; ++x)
        for (int y = box.lower[1]; y <= box.upper[1]; ++y)
            image(x, y) = AnalysisPixel(static_cast<unsigned char>(value(x, y)));
    return image;
}

/// A deterministic picture of smooth blobs and sharp edges, different in every channel.
inline AnalysisImage patternImage(int rows, int columns) {
    AnalysisImage image(rows, columns);
    for (int x = 0; x < rows; ++x)
        for (int y = 0; y < columns; ++y)
            for (int c = 0; c < 6; ++c) {
                int value = ((x / 23 + y / 31 + c) % 3) * 90;            // patches
                value += ((x * 7 + y * 13 + c * 29) % 17);                 // texture
                value += (x - rows / 2) * (x - rows / 2) / 97 % 23;        // shading
                image(x, y)[c] = static_cast<unsigned char>(value % 256);
            }
    return image;
}

inline std::vector<std::int32_t> countsOf(const classification::Histogram1D& h) {
    std::vector<std::int32_t> counts;
    for (int b = h.firstBin(); b <= h.lastBin(); ++b)
        counts.push_back(h.bin(b));
    return counts;
}

inline bool sameElement(int a, int b) { return a == b; }
inline bool sameElement(const classification::EdgeMapPixel& a, const classification::EdgeMapPixel& b) {
    return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
}

template <typename T>
bool sameArray(const blitz::Array<T, 2>& a, const blitz::Array<T, 2>& b) {
    if (!boxEquals(IntBox::domainOf(a), IntBox::domainOf(b)))
        return false;
    for (int x = a.lbound(0); x <= a.ubound(0); ++x)
        for (int y = a.lbound(1); y <= a.ubound(1); ++y)
            if (!sameElement(a(x, y), b(x, y)))
                return false;
    return true;
}

/// What a stage throws when a worker or the reporter gave up.
enum class Failure { cancel, memory, other };

/// Throws the exception a failing reporter would throw for `failure`.
inline void raise(Failure failure) {
    switch (failure) {
    case Failure::cancel: throw JxExCancel();
    case Failure::memory: throw std::bad_alloc();
    case Failure::other: throw std::runtime_error("broken");
    }
}

/// Expects `call` to end with the very failure that `raise` threw: the cancel exception,
/// std::bad_alloc, or the std::runtime_error with its message.
inline void expectStageFailure(Failure failure, const std::function<void()>& call) {
    switch (failure) {
    case Failure::cancel: EXPECT_THROW(call(), JxExCancel); return;
    case Failure::memory: EXPECT_THROW(call(), std::bad_alloc); return;
    case Failure::other:
        try {
            call();
            ADD_FAILURE() << "no exception";
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), "broken");
        }
        return;
    }
}

}  // namespace segtest
