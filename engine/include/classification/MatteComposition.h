#pragma once

#include "classification/IntBox.h"
#include "classification/MaskPixelFormat.h"
#include "classification/PolylineRounder.h"   // FloatPoint
#include "classification/ProgressRange.h"
#include "matting/ColourCluster.h"

#include <blitz/array.h>

#include <vector>

namespace classification {

/// The number types of the matting for a pixel format.
template <class Format>
using MatteTypes = Corvel::matting::cbbTypes<float, double, typename Format::Channel>;

/// A foreground or background colour estimate per image pixel (three channels of the
/// format's channel type).
template <class Format>
using EstimateImage = blitz::Array<typename MatteTypes<Format>::Triple, 2>;

/// How one image index maps onto the status pixels of a layer box along one axis: the two
/// status pixels whose centres bracket the image pixel's centre, their bilinear weights, the
/// status pixel whose centre lies at or before it, and the status pixel that contains it.
struct MatteAxisSample {
    int lower = 0, upper = 0, centre = 0;
    /// Decides whether the pixel is this pass's to produce. The core marks a status pixel done
    /// after the pass, and the later passes skip every image pixel that the done status pixel
    /// contains; so the matting must own exactly those, or a pixel on a mask's upper or left
    /// edge would be produced by no pass at all.
    int owner = 0;
    float lowerWeight = 1.0f, upperWeight = 0.0f;
};

/// The mapping for image index `index` at `scale` image pixels per status pixel, clipped to
/// the layer box's bounds first .. last on this axis.
MatteAxisSample sampleMatteAxis(int index, float scale, int first, int last);

/// The status pixel whose centre lies at or before the image pixel's centre, clipped.
int matteCentreIndex(int index, float scale, int first, int last);

/// The bilinear shares of keep and delete marks around an image pixel.
struct MatteMarkWeights {
    float keep = 0.0f;
    float drop = 0.0f;

    /// Almost surely keep or delete: the pixel's output needs no colour estimates.
    bool decided() const {
        return static_cast<double>(keep) > 0.99 || static_cast<double>(drop) > 0.99;
    }
};

MatteMarkWeights matteMarkWeights(const blitz::Array<unsigned char, 2>& status,
                                  const MatteAxisSample& row, const MatteAxisSample& column);

/// The composition of one layer row by row, for a caller that composes rows on several
/// threads: composeRow(i) writes only row i of the output, reads only the inputs, and reports
/// nothing. The arguments are composeMatte's and must outlive the composer.
template <class Format>
class MatteComposer {
public:
    MatteComposer(const typename Format::Image& image, const blitz::Array<unsigned char, 2>& status,
                  const blitz::Array<unsigned char, 2>& layerStatus, const IntBox& layerBox,
                  const FloatPoint& scale, const IntBox& estimateBox,
                  const EstimateImage<Format>& foregroundEstimate,
                  const EstimateImage<Format>& backgroundEstimate,
                  typename Format::Image output);

    /// composeMatte's work on row i of the estimate box.
    void composeRow(int i) const;

private:
    const typename Format::Image& image_;
    const blitz::Array<unsigned char, 2>& status_;
    const blitz::Array<unsigned char, 2>& layerStatus_;
    const IntBox layerBox_;
    const FloatPoint scale_;
    const IntBox estimateBox_;
    const EstimateImage<Format>& foregroundEstimate_;
    const EstimateImage<Format>& backgroundEstimate_;
    mutable typename Format::Image output_;   // shares the caller's storage
    std::vector<MatteAxisSample> columnSamples_;
};

/// Writes alpha and colour of every pending pixel of `estimateBox` into `output`: almost surely
/// kept pixels take their image colour at full alpha, almost surely deleted ones become
/// transparent black, and the rest are un-mixed between the two estimates. `status` is the
/// whole status array, `layerStatus` its crop to `layerBox` (which lies inside it); the
/// estimates cover `estimateBox`, which lies inside the image and the output.
template <class Format>
void composeMatte(const typename Format::Image& image, const blitz::Array<unsigned char, 2>& status,
                  const blitz::Array<unsigned char, 2>& layerStatus, const IntBox& layerBox,
                  const FloatPoint& scale, const IntBox& estimateBox,
                  const EstimateImage<Format>& foregroundEstimate,
                  const EstimateImage<Format>& backgroundEstimate,
                  typename Format::Image output, ProgressRange progress);

}  // namespace classification
