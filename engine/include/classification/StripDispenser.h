#pragma once

#include "classification/IntBox.h"
#include "classification/ProgressRange.h"

#include <mutex>

namespace classification {

/// A band of rows handed to one gradient worker: rows lo[0] ... hi[0] - 1 and columns lo[1]
/// ... hi[1] - 1 (the upper corner is excluded).
struct Strip {
    IntPoint lo{0, 0};
    IntPoint hi{-1, -1};

    /// The strip that tells a worker there is nothing left.
    static Strip none() { return Strip(); }
    bool isNone() const { return lo[0] == hi[0] + 1 && lo[1] == hi[1] + 1; }
};

/// Hands out the rows of a box in strips of 64 to the gradient workers, reporting the share
/// handed out so far before each strip. The box's last row and last column are never part of a
/// strip: the workers fill a map one smaller than the box on each axis.
class StripDispenser {
public:
    static constexpr int stripHeight = 64;

    /// Starts handing out the box from `lower` to `upper`, reporting on `range`.
    void reset(const IntPoint& lower, const IntPoint& upper, const ProgressRange& range);

    /// The next strip, or Strip::none() when every row has been handed out. The report may
    /// throw the cancel exception; the lock is released on every path.
    Strip next();

private:
    std::mutex lock_;
    IntPoint cursor_{0, 0};
    IntPoint end_{-1, -1};
    IntPoint start_{0, 0};
    ProgressRange range_;
};

}  // namespace classification
