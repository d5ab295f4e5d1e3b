#pragma once

#include "classification/IntBox.h"
#include "classification/ProgressRange.h"

#include <blitz/array.h>
#include <blitz/tinyvec2.h>

namespace classification {

// The channel texture filter of the analysis: a pair of rank filters over a disc. The first
// pass takes two order statistics of the quantised channel, at the fractions p and 1 - p, over
// the disc placed beyond each pixel (towards higher indices); the second pass filters each of
// them once more with the complementary fraction over the disc placed before each pixel, so
// that together the two passes are centred on the pixel.

/// A square disc of side s over (0, 0)-(s - 1, s - 1): element (j, i) is set when
/// (c + 0.5)^2 >= (j - c)^2 + (i - c)^2 with c = (s - 1) / 2.
using TextureDisc = blitz::Array<bool, 2>;

/// Two order statistics per pixel; `image[0]` and `image[1]` are byte views of them.
using TwoValuePixel = blitz::TinyVector<unsigned char, 2>;
using TwoValueImage = blitz::Array<TwoValuePixel, 2>;

/// Throws std::invalid_argument for a side below 1.
TextureDisc buildTextureDisc(int side);

/// The first pass over a quantised, border-replicated image: for every pixel q whose window
/// q + d (d a disc member) lies inside `padded`, the two order statistics of the window at the
/// fractions f0 and f1, each interpolated towards the next non-empty level by the fraction of
/// its rank. Writes them into `output` and returns the box written. Fractions are clamped to
/// [0, 1]; std::invalid_argument when `largest` is not 0 to 255 or a value of `padded` is
/// above it; std::out_of_range when `output` does not hold the box. Reports after every row
/// whose index is a multiple of 256.
IntBox rankFilterPair(const blitz::Array<unsigned char, 2>& padded, const TextureDisc& disc,
                      TwoValueImage output, float f0, float f1, int largest,
                      ProgressRange progress);

/// The second pass for one of the two statistics: `plane`, over the image box, becomes the
/// `fraction` percentile of `component` over the disc placed before each pixel; `component`
/// must cover the image box extended by the disc's size minus one towards lower indices.
/// Values are levels 0 to `largest`.
void buildLevelImage(const blitz::Array<unsigned char, 2>& component,
                     blitz::Array<unsigned char, 2> plane, const TextureDisc& disc,
                     float fraction, int largest, ProgressRange progress);

/// The same percentile computed on the arrays reflected through the origin (the scan that
/// `buildLevelImage` runs on its view of the plane).
void reflectedLevelBox(const blitz::Array<unsigned char, 2>& component,
                       blitz::Array<unsigned char, 2> plane, const TextureDisc& disc,
                       float fraction, int largest, ProgressRange progress);

/// Fills two texture planes (both over the channel's box) from one colour channel. Radius 0
/// copies the channel unfiltered into both. Otherwise the channel is quantised to `maxBits`
/// bits (clamped to 0 to 8) and filtered with the disc of side radius + 1 and the fraction
/// `fraction` (clamped to [0, 0.5]): `firstPlane` from the low statistic, `secondPlane` from
/// the high one. Progress: first pass up to 1/6 of the range, the planes up to 1/2 and 2/3.
void filterTextureChannel(blitz::Array<unsigned char, 2> firstPlane,
                          blitz::Array<unsigned char, 2> secondPlane,
                          const blitz::Array<unsigned char, 2>& channel, int radius, int maxBits,
                          float fraction, ProgressRange progress);

}  // namespace classification
