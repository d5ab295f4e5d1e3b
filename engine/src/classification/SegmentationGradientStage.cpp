// The gradient stage of the segmentation: shoulder and valley ratings of every pixel.

#include "classification/GradientUpdater.h"
#include "classification/ProgressMessage.h"
#include "classification/ReplicateBorder.h"
#include "classification/RowWorkers.h"
#include "classification/Segmentation.h"
#include "morphology/LineConvolution.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <vector>

namespace classification {

namespace {

IntBox grownBy(const IntBox& box, int margin) {
    return IntBox(box.lower[0] - margin, box.lower[1] - margin, box.upper[0] + margin,
                  box.upper[1] + margin);
}

/// A rating shifted by the minimum and scaled, as a byte. Out-of-range and non-finite values
/// go to the nearest end instead of into an undefined conversion.
unsigned char quantise(float rating, float minimum, float scale) {
    const float value = (rating - minimum) * scale + 0.005f;
    if (!(value > 0.0f))
        return 0;   // NaN included
    if (value >= 255.0f)
        return 255;
    return static_cast<unsigned char>(value);
}

/// plane(x, y) := op of the corner values at (x - 1 ... x, y - 1 ... y), for the pixels whose
/// four corners lie in `corners`; returns the box written. It is the separable pair of line
/// passes of window 2 (along the first axis, then along the second), done row by row in one
/// sweep, and leaves what those passes leave: the first column of the result's rows holds
/// the combination along the first axis only.
template <typename Op>
IntBox combineFourCorners(blitz::Array<unsigned char, 2> plane, const IntBox& corners, Op op) {
    const IntBox down(corners.lower[0] + 1, corners.lower[1], corners.upper[0], corners.upper[1]);
    if (isBoxEmpty(down))
        return down;
    if (!IntBox::domainOf(plane).contains(corners))
        throw std::out_of_range("corner box outside the plane");
    const std::ptrdiff_t rowStep = plane.stride(0);
    const std::ptrdiff_t columnStep = plane.stride(1);
    const int columns = corners.columns();
    std::vector<unsigned char> alongFirst(static_cast<std::size_t>(columns));
    // Highest row first: each row reads the row above it before that row is rewritten.
    for (int x = corners.upper[0]; x >= down.lower[0]; --x) {
        unsigned char* row = &plane(x, corners.lower[1]);
        const unsigned char* above = row - rowStep;
        for (int k = 0; k < columns; ++k)
            op(alongFirst[static_cast<std::size_t>(k)], above[k * columnStep], row[k * columnStep]);
        row[0] = alongFirst[0];
        for (int k = 1; k < columns; ++k)
            op(row[k * columnStep], alongFirst[static_cast<std::size_t>(k - 1)],
               alongFirst[static_cast<std::size_t>(k)]);
    }
    return IntBox(down.lower[0], down.lower[1] + 1, down.upper[0], down.upper[1]);
}

}  // namespace

void Segmentation::prepareEdgeMap() {
    const IntBox wanted = grownBy(box_, 2);
    if (!boxEquals(IntBox::domainOf(edgeMap_), wanted))
        edgeMap_.resize(blitz::Range(wanted.lower[0], wanted.upper[0]),
                        blitz::Range(wanted.lower[1], wanted.upper[1]));
    edgeMapView_.reference(cropArrayToBox(edgeMap_, box_));
}

bool Segmentation::computeGradientMap(bool changed, ProgressRange range) {
    prepareEdgeMap();
    if (!changed)
        return false;
    checkPeaksMatchHistograms();
    // A box one pixel high or wide has no cell corners and so no gradient. Its corner array
    // would be empty with a base away from the origin, which Blitz++ cannot address.
    if (box_.rows() < 2 || box_.columns() < 2) {
        gradientScale_ = 1.0f;
        edgeMap_ = EdgeMapPixel(0, 0, 0);
        return true;
    }
    const IntBox cornerBox(box_.lower, IntPoint(box_.upper[0] - 1, box_.upper[1] - 1));
    blitz::Array<CornerRating, 2> corners(
        blitz::Range(cornerBox.lower[0], std::max(cornerBox.upper[0], cornerBox.lower[0] - 1)),
        blitz::Range(cornerBox.lower[1], std::max(cornerBox.upper[1], cornerBox.lower[1] - 1)));
    range.report(0.1f, range.ui ? progressMessage("src/classification/Segmentation", 256,
                                                  "After array creation")
                                : std::string());
    const GradientTables tables(*this);
    runGradientWorkers(tables, corners, range.subRange(0.6f));

    // Row by row through plain pointers: the per-element indexing of the arrays cost more
    // than the arithmetic here.
    const int columns = cornerBox.columns();
    const std::ptrdiff_t cornerStep = corners.stride(1);
    float minimum = std::numeric_limits<float>::max();
    float maximum = -std::numeric_limits<float>::max();
    for (int x = cornerBox.lower[0]; x <= cornerBox.upper[0]; ++x) {
        const CornerRating* rating = &corners(x, cornerBox.lower[1]);
        for (int y = 0; y < columns; ++y, rating += cornerStep) {
            minimum = std::min(minimum, (*rating)[1]);
            maximum = std::max(maximum, (*rating)[0]);
        }
    }
    // A map whose shoulder ratings never exceed the valley ratings has no usable scale.
    gradientScale_ = maximum > minimum && std::isfinite(maximum - minimum)
                         ? 255.99f / (maximum - minimum)
                         : 1.0f;
    const std::ptrdiff_t mapStep = edgeMapView_.stride(1);
    for (int x = cornerBox.lower[0]; x <= cornerBox.upper[0]; ++x) {
        const CornerRating* rating = &corners(x, cornerBox.lower[1]);
        EdgeMapPixel* pixel = &edgeMapView_(x, cornerBox.lower[1]);
        for (int y = 0; y < columns; ++y, rating += cornerStep, pixel += mapStep)
            for (int k = 0; k < 2; ++k)
                (*pixel)[k] = quantise((*rating)[k], minimum, gradientScale_);
    }
    range.report(0.8f);

    const IntBox inner = combineFourCorners(edgeMap_[0], cornerBox, morphology::RunningMaximum());
    range.report(0.9f);
    combineFourCorners(edgeMap_[1], cornerBox, morphology::RunningMinimum());
    if (isBoxEmpty(inner)) {
        edgeMap_ = EdgeMapPixel(0, 0, 0);
        return true;
    }
    replicateBorder(edgeMap_[0], inner);
    replicateBorder(edgeMap_[1], inner);
    return true;
}

void Segmentation::runGradientWorkers(const GradientTables& tables,
                                      blitz::Array<CornerRating, 2>& corners, ProgressRange range) {
    const GradientUpdater updater(*this, tables, corners);
    const int first = corners.lbound(0);
    const int last = corners.ubound(0);
    const float rows = static_cast<float>(last - first + 1);
    constexpr int strip = GradientUpdater::stripHeight;
    RowWorkers team(RowWorkers::threadsFor(workerCount_));
    team.run(
        first, last, strip,
        [&updater](int x, unsigned) {
            updater.processRow(x);
            return true;
        },
        [&](int x) {
            // Once per strip, on the calling thread: the share of the rows done.
            const int done = x - first + 1;
            if (done % strip == 0 || x == last)
                range.report(static_cast<float>(done) / rows);
        });
}

}  // namespace classification
