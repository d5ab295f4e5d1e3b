#pragma once

#include "classification/IntBox.h"
#include "classification/ProgressRange.h"

#include <blitz/array.h>

#include <cstdint>
#include <vector>

namespace classification {

// The labelling steps that turn the segmentation's labels into numbered regions and give
// every region one colour class. Each works inside a box of int32 arrays and never reads or
// writes outside it, whatever the arrays hold around the box.

/// For every pixel p of `box` that carries the same value of `values` as its right or lower
/// neighbour inside the box, output(p) and output(neighbour) become that value; pixels with no
/// equal neighbour keep what `output` held (the caller zero-fills it). Throws
/// std::out_of_range unless both arrays hold the box. Reports once, at row index 0.
void keepConnectedLabels(const IntBox& box, const blitz::Array<std::int32_t, 2>& values,
                         blitz::Array<std::int32_t, 2> output, ProgressRange progress);

/// Numbers the 4-connected components of equal `values` inside `box` in `labels`, from
/// `nextLabel` upwards in the order their first pixels come in storage order, and leaves
/// `nextLabel` one past the last number. Pixels outside the box are neither read nor written.
/// Throws std::invalid_argument unless both arrays have one domain holding the box.
void labelComponents(std::int32_t& nextLabel, blitz::Array<std::int32_t, 2> labels,
                     const blitz::Array<std::int32_t, 2>& values, const IntBox& box);

/// The colour class most pixels of each region have, `regionCount` entries (0 for a region
/// without pixels); among classes with equal counts the one that reached the count first.
/// Pixels with a negative region label or a label of `regionCount` or above are skipped.
/// Throws std::invalid_argument when the class image does not cover the region image.
/// Reports at the first pixel of every row whose index is a multiple of 256.
void regionMajorityClass(std::vector<std::int32_t>& output, std::int32_t regionCount,
                         const blitz::Array<std::int32_t, 2>& regions,
                         const blitz::Array<std::int32_t, 2>& classes, ProgressRange progress);

}  // namespace classification
