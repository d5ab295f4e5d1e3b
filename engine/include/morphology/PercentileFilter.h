#pragma once

#include "IiUI.h"
#include "classification/IntBox.h"
#include "classification/ProgressRange.h"

#include <blitz/array.h>

#include <cstdint>

namespace morphology {

using classification::IntBox;

/// A structuring element: the members are the non-zero entries, and their indices are the
/// window offsets themselves, so an element based at (-1, -1) is centred on its output.
using StructuringElement = blitz::Array<std::int32_t, 2>;

// Sliding-histogram percentile filters of 8-bit and 16-bit arrays. In the caller's
// coordinates they compute, for every position p of the box from input.lower + E.upper to
// input.upper + E.lower,
//
//     output(p) = the f-percentile of input(p - e) over the members e of E,
//
// interpolated linearly between the two neighbouring ranks of r = (n - 1) f + 1, and return
// that box. Only the output over that box is written.
//
// Every entry checks its arguments before it reads a value: the fraction is clamped to
// [0, 1] (an undefined fraction counts as 0); std::invalid_argument when the histogram range
// is not inside the element type's range or an input value under a window lies outside it;
// std::out_of_range when the output does not hold the result box. A cancel exception of the
// progress interface propagates and leaves the rows already written.

/// The filter core in the coordinates it is given: output(p) = the f-percentile of
/// input(p + e); the box is input.lower - E.lower to input.upper - E.upper. Reports, when `ui`
/// is set, after every row whose index is a multiple of 256, mapped into [from, to].
void percentileFilter8(blitz::Array<std::uint8_t, 2> output, IntBox& result,
                       const blitz::Array<std::uint8_t, 2>& input, const StructuringElement& element,
                       const float* fraction, int low, int high, Corvel::utility::IiUI* ui,
                       float from, float to);
void percentileFilter16(blitz::Array<std::uint16_t, 2> output, IntBox& result,
                        const blitz::Array<std::uint16_t, 2>& input,
                        const StructuringElement& element, const float* fraction, int low,
                        int high, Corvel::utility::IiUI* ui, float from, float to);

/// Re-bases the array so that element (x, y) of the result is element (-x, -y) of the array it
/// was: lower bounds become the negated upper bounds and both axes run backwards. The storage
/// is shared.
void reflectByteArray(blitz::Array<std::uint8_t, 2>& array);
void reflectArray(blitz::Array<std::uint16_t, 2>& array);

/// A reflected view of `array` (storage shared).
blitz::Array<std::uint8_t, 2> reflectedByteCopy(blitz::Array<std::uint8_t, 2> array);
blitz::Array<std::uint16_t, 2> reflectedCopy(blitz::Array<std::uint16_t, 2> array);

/// The filter in the caller's coordinates: runs the core on reflected views of input and
/// output with the element unchanged and reports the box it wrote.
void reflectedPercentileFilter8(blitz::Array<std::uint8_t, 2> output, IntBox& result,
                                blitz::Array<std::uint8_t, 2> input,
                                const StructuringElement& element, const float* fraction,
                                int low, int high, Corvel::utility::IiUI* ui, float from, float to);
void reflectedPercentileFilter16(blitz::Array<std::uint16_t, 2> output, IntBox& result,
                                 blitz::Array<std::uint16_t, 2> input,
                                 const StructuringElement& element, const float* fraction,
                                 int low, int high, Corvel::utility::IiUI* ui, float from,
                                 float to);

/// The entries for one channel of an image: `input` and `output` are plain views of the
/// channel (for instance `image[c]` of a multi-channel Blitz++ array), sharing its storage.
/// Progress runs from the range's last point to its end.
void channelPercentileFilter8(blitz::Array<std::uint8_t, 2> output, IntBox& result,
                              blitz::Array<std::uint8_t, 2> input,
                              const StructuringElement& element, float fraction, int low,
                              int high, ProgressRange progress);
void channelPercentileFilter16(blitz::Array<std::uint16_t, 2> output, IntBox& result,
                               blitz::Array<std::uint16_t, 2> input,
                               const StructuringElement& element, float fraction, int low,
                               int high, ProgressRange progress);

}  // namespace morphology
