#pragma once

#include "classification/BoundaryColourPyramid.h"
#include "classification/IntBox.h"
#include "classification/MarkDistances.h"
#include "classification/MaskPixelFormat.h"
#include "classification/PolylineRounder.h"   // FloatPoint
#include "classification/RegionColourMap.h"

#include "ColourVector.h"

#include <blitz/array.h>

namespace classification {

/// The four working cells around an output pixel's centre, with bilinear weights: `wx` weighs
/// column i0 (1 - wx column i1), `wy` row j0.
struct CornerCells {
    int i0 = 0, i1 = 0, j0 = 0, j1 = 0;
    float wx = 1.0f, wy = 1.0f;

    /// Cell k of (i0, j0), (i1, j0), (i0, j1), (i1, j1), and its weight.
    IntPoint cell(int k) const { return IntPoint(k & 1 ? i1 : i0, k & 2 ? j1 : j0); }
    float weight(int k) const { return (k & 1 ? 1.0f - wx : wx) * (k & 2 ? 1.0f - wy : wy); }
};

/// The foreground (keep) and background (delete) colour estimates of one blend pass.
struct ColourEstimates {
    int mode = 2;                      // 1 region colour maps, 2 boundary colour pyramids
    RegionColourMap keepMap, deleteMap;
    ColourSumPyramid keepLevels, deleteLevels;
};

/// The background share of a working cell from the distances to the nearest marks: 0 on a keep
/// mark, 1 on a delete mark, else a / (a + b), with an even share where both are 0.
float smoothShare(const MarkDistanceArray& markDistances,
                  const blitz::Array<unsigned char, 2>& status, int i, int j);

/// The pyramid's interpolated colour sum and weight near working point p: levels are added
/// finest first, each weighted by 1 / s^4 for cells of s working pixels, until enough weight
/// has been gathered for that scale (weight x s^3 > 2) or the levels run out. An empty pyramid
/// gives zero weight.
ColourSumCell pyramidColourAt(const ColourSumPyramid& levels, const FloatPoint& p);

/// Un-mixes one output pixel that is neither almost surely keep nor almost surely delete: it
/// estimates a foreground and a background colour, trusts the projection of the pixel onto the
/// line between them as far as they differ clearly (and the layer's blend value allows), mixes
/// in a smooth transparency from the mark distances, and removes the background share from the
/// pixel's colour. Writes channels 0 to 3 of the output pixel.
template <class Format>
class MixedPixelBlend {
public:
    using Pixel = typename Format::Pixel;

    /// `outputBox` is the pass's output box (the neighbourhood of the cross median stays in it);
    /// `source` and `output` cover it. The status image, `blendMap` and `markDistances` must
    /// cover every corner cell the caller passes, and the estimates likewise.
    MixedPixelBlend(blitz::Array<Pixel, 2> output, const blitz::Array<Pixel, 2>& source,
                    const IntBox& outputBox, const ColourEstimates& estimates,
                    const blitz::Array<unsigned char, 2>& status,
                    const blitz::Array<unsigned char, 2>& blendMap,
                    const MarkDistanceArray& markDistances);

    void blend(int x, int y, const CornerCells& corners, const IntPoint& nearest, float keepWeight,
               float deleteWeight);

private:
    Corvel::utility::ColourTriple crossMedian(int x, int y) const;
    Corvel::utility::ColourTriple mapEstimate(const RegionColourMap& map,
                                              const CornerCells& corners) const;
    Corvel::utility::ColourTriple pyramidEstimate(const ColourSumPyramid& levels,
                                                  const IntPoint& nearest,
                                                  const Corvel::utility::ColourTriple& own) const;

    blitz::Array<Pixel, 2> output_;
    blitz::Array<Pixel, 2> source_;
    IntBox outputBox_;
    const ColourEstimates& estimates_;
    blitz::Array<unsigned char, 2> status_;
    blitz::Array<unsigned char, 2> blendMap_;
    MarkDistanceArray markDistances_;
};

}  // namespace classification
