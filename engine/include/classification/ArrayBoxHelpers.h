#pragma once

#include "classification/AnalysisImage.h"
#include "classification/IntBox.h"

#include <blitz/array.h>
#include <blitz/tinyvec2.h>

#include <cstdint>

namespace classification {

/// The engine's three-byte pixel (the edge map of the segmentation).
using BytePixel3 = blitz::TinyVector<unsigned char, 3>;

// Each helper takes its array by value: a Blitz++ array shares the caller's storage, so
// writes reach the caller's array. Each box must be non-empty and lie inside the array;
// otherwise std::out_of_range is thrown before any element is touched.

/// The pixels inside `box`, sharing storage and indexed like the full array.
AnalysisImage cropToBoxRebased6(AnalysisImage array, const IntBox& box);
blitz::Array<BytePixel3, 2> cropToBoxRebased3(blitz::Array<BytePixel3, 2> array, const IntBox& box);

/// Every element outside `box` takes the value of the nearest element of the box's edge; the
/// corner regions take the box's corner values.
void replicateBorder8(blitz::Array<unsigned char, 2> array, const IntBox& box);
void replicateBorder16(blitz::Array<std::uint16_t, 2> array, const IntBox& box);

/// Every element outside `box` takes `value`; the inside is unchanged.
void fillOutsideBox(blitz::Array<std::int32_t, 2> array, const IntBox& box, std::int32_t value);

/// The point that is `value` on `axis` (0 or 1) and 0 on the other axis.
inline IntPoint axisOffset(int axis, int value) {
    return axis == 0 ? IntPoint(value, 0) : IntPoint(0, value);
}

}  // namespace classification
