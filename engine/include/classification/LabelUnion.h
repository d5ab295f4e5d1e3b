#pragma once

#include "classification/IntBox.h"

#include <blitz/array.h>

#include <cstdint>
#include <vector>

namespace classification {

/// The union-find of the connected-component labelling: provisional labels of neighbouring
/// pixels with equal values are merged, the smaller root index always becoming the parent.
/// The last entry of `parent` belongs to the label of the pixel being labelled and holds that
/// label's current root.
class LabelUnion {
public:
    /// `labels` and `values` share the caller's storage and must have equal domains.
    LabelUnion(std::vector<std::int32_t>& parent, blitz::Array<int, 2> labels,
               blitz::Array<int, 2> values);

    /// Merges the set of the neighbour's label with the current pixel's when the two pixels
    /// carry the same value; always true. Throws std::out_of_range, changing nothing, for a
    /// position outside the images or a label or root without a parent entry.
    bool uniteIfEqual(const IntPoint& pixel, const IntPoint& neighbour);

    /// The root of `label`'s set; every entry on the way then points at it directly.
    /// Iterative, so long chains cannot exhaust the stack. Throws std::out_of_range, changing
    /// nothing, when the chain leaves the parent array.
    std::int32_t findRoot(std::int32_t label);

private:
    bool hasEntry(std::int32_t label) const;

    std::vector<std::int32_t>& parent_;
    blitz::Array<int, 2> labels_;
    blitz::Array<int, 2> values_;
};

}  // namespace classification
