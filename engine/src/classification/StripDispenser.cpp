#include "classification/StripDispenser.h"

namespace classification {

void StripDispenser::reset(const IntPoint& lower, const IntPoint& upper,
                           const ProgressRange& range) {
    std::lock_guard<std::mutex> hold(lock_);
    cursor_ = lower;
    start_ = lower;
    end_ = upper;
    range_ = range;
}

Strip StripDispenser::next() {
    std::lock_guard<std::mutex> hold(lock_);
    if (cursor_[0] > end_[0])
        return Strip::none();
    const float remaining =
        end_[0] == start_[0]
            ? 0.0f
            : static_cast<float>(end_[0] - cursor_[0]) / static_cast<float>(end_[0] - start_[0]);
    if (range_.ui)
        range_.report(1.0f - remaining);
    Strip strip;
    strip.lo = cursor_;
    cursor_[0] += stripHeight;
    strip.hi = cursor_[0] > end_[0] ? end_ : IntPoint(cursor_[0], end_[1]);
    return strip;
}

}  // namespace classification
