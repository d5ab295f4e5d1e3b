#pragma once

#include "classification/IntBox.h"

#include <blitz/array.h>

#include <cstdint>
#include <vector>

namespace classification {

/// A contact the image watershed recorded: `first` is the labelled pixel that reached,
/// `second` the pixel of another label it reached. Both are pixel indices of the table.
struct PixelPair {
    std::int32_t first;
    std::int32_t second;
};

using PointList = std::vector<PixelPair>;

/// The labels of the image watershed and their contact lists. The label array covers the
/// table's box, one int32 per pixel, -1 meaning "to be flooded"; a label is the index of its
/// point list. Pixels are addressed by their index in the box, row after row, so labels and
/// levels of one pixel are always found at the same position whatever the caller's arrays
/// look like.
class PointListTable {
public:
    /// Every pixel of `box` unlabelled (-1), no lists, and labels handed out up to `cap`.
    explicit PointListTable(const IntBox& box, std::int32_t cap = 2147483646);

    /// The label of a new class: a new empty list while the table holds at most `cap` lists,
    /// otherwise the list `cap` is shared by every further class.
    std::int32_t newList();

    const IntBox& box() const { return box_; }
    std::int32_t width() const { return width_; }
    std::int32_t pixelCount() const { return static_cast<std::int32_t>(labels.size()); }

    std::int32_t indexOf(int row, int column) const {
        return (row - box_.lower[0]) * width_ + (column - box_.lower[1]);
    }
    IntPoint pointOf(std::int32_t index) const {
        return IntPoint(box_.lower[0] + index / width_, box_.lower[1] + index % width_);
    }

    std::int32_t& label(std::int32_t index) { return labels.data()[index]; }
    std::int32_t label(std::int32_t index) const { return labels.data()[index]; }

    std::int32_t cap;
    std::vector<PointList> lists;
    /// Contiguous and row-major over the box: `label(indexOf(row, column))` is
    /// `labels(row, column)`.
    blitz::Array<std::int32_t, 2> labels;

private:
    IntBox box_;
    std::int32_t width_;
};

}  // namespace classification
